#pragma once

#include "core/types.h"
#include "platform/file_info.h"

#include <optional>
#include <unordered_map>

namespace pelldrake {

class Board;

// The file each entry of the board names, remembered by path when the entry arrives (intake and
// the work-state load examine every file anyway), so the duplicate test can compare files, not
// spellings, without examining the whole board again at every intake.
class EntryIdentities {
public:
    std::optional<FileIdentity> Known(const FilePath& path) const;
    void Remember(const FilePath& path, FileIdentity identity) { known_[path] = identity; }
    void Reserve(std::size_t count) { known_.reserve(count); }
    // Once memory holds far more paths than the board, keeps only those of its entries.
    void KeepOnlyEntriesOf(const Board& board);

private:
    std::unordered_map<FilePath, FileIdentity> known_;
};

} // namespace pelldrake
