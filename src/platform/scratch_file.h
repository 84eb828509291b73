#pragma once

#include "core/types.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace pelldrake {

// Room on the disk for what the program would rather not hold in memory. One file without a name,
// open to this process alone: it goes with the process however the process ends, a kill or a
// power loss included, and leaves nothing in any folder. What is given back leaves the disk at
// once where the file system can punch holes, and in any case once nothing is held. Any thread
// may use it.
class ScratchFile {
public:
    // The file is made, at the first reservation, in the first of folders that takes one.
    explicit ScratchFile(std::vector<FilePath> folders) : folders_(std::move(folders)) {}
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // What a scratch file never takes from its file system: other programs need room too.
    static constexpr std::uint64_t kKeepFree = std::uint64_t{1} << 30;

    struct Extent {
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
    };
    // size bytes, taken on the disk now so that writing them cannot run out of room; none when no
    // folder takes the file or the disk would keep less than kKeepFree free.
    std::optional<Extent> Reserve(std::uint64_t size);
    // Into, or out of, a reserved extent; false when the disk fails.
    bool Write(std::uint64_t offset, const char* data, std::size_t size);
    bool Read(std::uint64_t offset, char* data, std::size_t size) const;
    void Release(const Extent& extent);

    // Bytes reserved and not yet released.
    std::uint64_t held() const;

private:
    bool OpenLocked();

    const std::vector<FilePath> folders_;
    mutable std::mutex mutex_;
    int fd_ = -1;
    bool unusable_ = false;
    std::uint64_t end_ = 0;
    std::uint64_t held_ = 0;
};

// Where scratch files go: $XDG_CACHE_HOME/pelldrake (~/.cache/pelldrake when the variable is unset
// or not absolute), then the temporary folder ($TMPDIR, else /tmp), which may be memory itself.
std::vector<FilePath> ScratchFolders();

} // namespace pelldrake
