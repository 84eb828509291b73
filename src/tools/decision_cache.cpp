#include "tools/decision_cache.h"

#include <functional>
#include <optional>

namespace pelldrake {
namespace {

std::uint64_t Mixed(std::uint64_t seed, std::uint64_t value) {
    // splitmix64's finaliser over the running value: every bit of each field moves the stamp.
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    seed ^= seed >> 30;
    seed *= 0xbf58476d1ce4e5b9ULL;
    seed ^= seed >> 27;
    seed *= 0x94d049bb133111ebULL;
    return seed ^ (seed >> 31);
}

std::uint64_t Stamped(std::uint64_t seed, const std::optional<FileInfo>& file) {
    if (!file)
        return Mixed(seed, 0);
    for (const std::uint64_t field :
         {std::uint64_t{1} + static_cast<std::uint64_t>(file->kind), file->device, file->inode,
          static_cast<std::uint64_t>(file->size), static_cast<std::uint64_t>(file->modifiedSeconds),
          static_cast<std::uint64_t>(file->modifiedNanoseconds)})
        seed = Mixed(seed, field);
    return seed;
}

} // namespace

Decision DecisionCache::Get(const FilePath& path, const FileInfo& picture) {
    const DecisionSidecars sidecars = SidecarsOf(path);
    std::uint64_t stamp = Stamped(0, picture);
    stamp = Stamped(stamp, StatPath(sidecars.own));
    stamp = Stamped(stamp, sidecars.shared.empty() ? std::nullopt : StatPath(sidecars.shared));
    const std::size_t key = std::hash<FilePath>{}(path);
    {
        const std::lock_guard lock(mutex_);
        if (const auto known = known_.find(key); known != known_.end() && known->second.stamp == stamp)
            return known->second.decision;
    }
    const Decision decision = ReadDecision(path);
    const std::lock_guard lock(mutex_);
    known_.insert_or_assign(key, Known{stamp, decision});
    return decision;
}

std::size_t DecisionCache::size() const {
    const std::lock_guard lock(mutex_);
    return known_.size();
}

} // namespace pelldrake
