#include "board/entry_identities.h"

namespace pelldrake {

std::optional<FileIdentity> EntryIdentities::Of(const FilePath& path) {
    if (const auto found = known_.find(path); found != known_.end())
        return found->second;
    const auto info = StatPath(path);
    if (!info)
        return std::nullopt;
    known_.emplace(path, info->identity());
    return info->identity();
}

void EntryIdentities::ForgetBeyond(std::size_t entryCount) {
    // Forgetting everything is cheap and always right: what is asked again is looked up again.
    if (known_.size() > 2 * entryCount + 1024)
        known_.clear();
}

} // namespace pelldrake
