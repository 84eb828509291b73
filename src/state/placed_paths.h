#pragma once

#include "state/recovery_files.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelldrake {

// Reads back the paths of a PlacedReading from its files, opened once: a file renamed over or
// removed meanwhile is still read as it was.
class PlacedPaths {
public:
    explicit PlacedPaths(const PlacedReading& reading);
    ~PlacedPaths();
    PlacedPaths(const PlacedPaths&) = delete;
    PlacedPaths& operator=(const PlacedPaths&) = delete;

    // The path at place, valid until the next call; nothing when it cannot be read.
    std::optional<std::string_view> At(const PathPlace& place);

private:
    static constexpr std::uint32_t kNoFile = std::numeric_limits<std::uint32_t>::max();
    std::vector<int> fds_;
    // The snapshot's lines are escaped: a place there holds a path's escaped form.
    bool snapshotEscaped_ = false;
    std::string cache_;
    std::uint32_t cachedFile_ = kNoFile;
    std::uint64_t cachedFrom_ = 0;
    std::string unescaped_;
};

} // namespace pelldrake
