#pragma once

#include "platform/file_info.h"
#include "tools/decision_reader.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace pelldrake {

// The decisions read during a run, so that a second bulk classification over the same files reads
// none of them again. An entry holds as long as the picture and both its sidecars are the files
// they were (identity, size, modification time): a sidecar written, replaced or removed since is
// read anew. Safe on any thread; reading happens outside the lock.
class DecisionCache {
public:
    // picture: what the file system said of path just now.
    Decision Get(const FilePath& path, const FileInfo& picture);

    std::size_t size() const;

private:
    struct Known {
        std::uint64_t stamp;
        Decision decision;
    };
    mutable std::mutex mutex_;
    // By the path's hash: a million entries then hold a few dozen bytes each. Two paths meeting
    // under one hash still never share a decision, since the stamp holds the picture's identity.
    std::unordered_map<std::size_t, Known> known_;
};

} // namespace pelldrake
