#pragma once

#include "state/recovered_board.h"

#include <cstdint>

namespace pelldrake {

// Applies a journal's records in order, reading it a piece at a time: a journal of a session's
// million changes is never held whole. False when it cannot be read; whole is false when a record
// was cut short or damaged, or a command has no end, after which nothing can be trusted to follow
// from what came before.
//
// The changes of the lists count by whole commands: those after the last command's end are taken
// back, and on a second reading (commandsUpTo, the end found the first time) never applied. A file
// run's own records stand each by itself. A journal that does not open with a command's end was
// written before commands had ends: each of its records is a command.
// The file-th file read: where the paths of its inserts stand.
template <typename Entry>
bool ReplayJournal(const FilePath& path, std::uint32_t file, BasicRecoveredBoard<Entry>& board, bool& whole,
                   std::uint64_t commandsUpTo, std::uint64_t& commandsEnd);

extern template bool ReplayJournal(const FilePath&, std::uint32_t, BasicRecoveredBoard<FilePath>&, bool&, std::uint64_t,
                                   std::uint64_t&);
extern template bool ReplayJournal(const FilePath&, std::uint32_t, BasicRecoveredBoard<PathPlace>&, bool&,
                                   std::uint64_t, std::uint64_t&);

} // namespace pelldrake
