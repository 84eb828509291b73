#pragma once

#include "core/types.h"
#include "platform/file_info.h"

#include <optional>
#include <vector>

namespace pelldrake {

class Board;

// An entry made to follow a file that the undo or redo of a step left elsewhere than the step's
// lists say: an entry never names a place where its file is not.
struct EntryFix {
    ListIndex list = kUnclassified;
    // The entry that names the file now; empty: the list holds none, and one is appended.
    FilePath named;
    // What the entry names from now on; none: the entry goes, its file being nowhere it may name.
    std::optional<FilePath> now;
    // The file at now, with its pair.
    FileIdentity identity{};
};
using EntryFixes = std::vector<EntryFix>;

// Makes each change through the lists, so that the history and the journal hear it, and shows the
// lists again. One look over each list finds every entry named.
void ApplyEntryFixes(Board& board, const EntryFixes& fixes);

} // namespace pelldrake
