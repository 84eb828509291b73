#include "board/entry_identities.h"

#include "board/board.h"

namespace pelldrake {

std::optional<FileIdentity> EntryIdentities::Known(const FilePath& path) const {
    const auto found = known_.find(path);
    if (found == known_.end())
        return std::nullopt;
    return found->second;
}

void EntryIdentities::KeepOnlyEntriesOf(const Board& board) {
    const auto entries = static_cast<std::size_t>(board.TotalCount());
    if (known_.size() <= 2 * entries + 1024)
        return;
    std::unordered_map<FilePath, FileIdentity> kept;
    kept.reserve(entries);
    for (ListIndex list = 0; list < kListCount; ++list) {
        for (const FilePath& entry : board.List(list).Entries()) {
            if (const auto found = known_.find(entry); found != known_.end())
                kept.emplace(entry, found->second);
        }
    }
    known_ = std::move(kept);
}

} // namespace pelldrake
