#include "state/placed_paths.h"

#include "state/work_state_format.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace pelldrake {

PlacedPaths::PlacedPaths(const PlacedReading& reading) : snapshotEscaped_(reading.snapshotEscaped) {
    for (const FilePath& path : reading.files)
        fds_.push_back(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
}

PlacedPaths::~PlacedPaths() {
    for (int fd : fds_) {
        if (fd >= 0)
            ::close(fd);
    }
}

std::optional<std::string_view> PlacedPaths::At(const PathPlace& place) {
    const bool cached = place.file == cachedFile_ && place.offset >= cachedFrom_ &&
                        place.offset + place.length <= cachedFrom_ + cache_.size();
    if (!cached) {
        if (place.file >= fds_.size() || fds_[place.file] < 0)
            return std::nullopt;
        // Paths are read back mostly in the order they were written: a block serves many.
        constexpr std::size_t kBlock = std::size_t{64} << 10;
        cache_.resize(std::max<std::size_t>(kBlock, place.length));
        std::size_t got = 0;
        while (got < place.length) {
            const ssize_t count = ::pread(fds_[place.file], cache_.data() + got, cache_.size() - got,
                                          static_cast<off_t>(place.offset + got));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                cachedFile_ = kNoFile;
                return std::nullopt;
            }
            got += static_cast<std::size_t>(count);
        }
        cache_.resize(got);
        cachedFile_ = place.file;
        cachedFrom_ = place.offset;
    }
    const std::string_view path = std::string_view(cache_).substr(place.offset - cachedFrom_, place.length);
    // The journals hold paths as they are; only a line of the snapshot may need undoing.
    if (place.file != 0 || !snapshotEscaped_ || path.find('\\') == std::string_view::npos)
        return path;
    unescaped_ = work_state::Unescaped(path);
    return unescaped_;
}

} // namespace pelldrake
