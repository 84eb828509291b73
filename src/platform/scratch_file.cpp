#include "platform/scratch_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/statvfs.h>
#include <unistd.h>

namespace pelldrake {

namespace {

// An unnamed file where the file system makes one; else a named one, its name removed at once.
int OpenUnnamed(const FilePath& folder) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const int unnamed = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (unnamed >= 0)
        return unnamed;
    FilePath pattern = folder + "/pelldrake-scratch-XXXXXX";
    const int named = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(pattern.c_str());
    return named;
}

// The name of a folder from an environment variable, when it is set and absolute.
FilePath AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? FilePath(value) : FilePath();
}

} // namespace

ScratchFile::~ScratchFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool ScratchFile::OpenLocked() {
    if (fd_ >= 0)
        return true;
    if (unusable_)
        return false;
    for (const FilePath& folder : folders_) {
        fd_ = OpenUnnamed(folder);
        if (fd_ >= 0)
            return true;
    }
    unusable_ = true;
    return false;
}

std::optional<ScratchFile::Extent> ScratchFile::Reserve(std::uint64_t size) {
    const std::lock_guard lock(mutex_);
    if (!OpenLocked())
        return std::nullopt;
    struct statvfs room {};
    if (::fstatvfs(fd_, &room) == 0 && std::uint64_t{room.f_bavail} * std::uint64_t{room.f_frsize} < size + kKeepFree)
        return std::nullopt;
    if (size > 0) {
        // Where the file system cannot allocate ahead, the writes find out instead.
        if (::fallocate(fd_, 0, static_cast<off_t>(end_), static_cast<off_t>(size)) != 0 && errno != EOPNOTSUPP)
            return std::nullopt;
    }
    const Extent extent{end_, size};
    end_ += size;
    held_ += size;
    return extent;
}

bool ScratchFile::Write(std::uint64_t offset, const char* data, std::size_t size) {
    const int fd = [this] {
        const std::lock_guard lock(mutex_);
        return fd_;
    }();
    while (size > 0) {
        const ssize_t put = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<std::size_t>(put);
        offset += static_cast<std::uint64_t>(put);
    }
    return true;
}

bool ScratchFile::Read(std::uint64_t offset, char* data, std::size_t size) const {
    const int fd = [this] {
        const std::lock_guard lock(mutex_);
        return fd_;
    }();
    while (size > 0) {
        const ssize_t got = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

void ScratchFile::Release(const Extent& extent) {
    const std::lock_guard lock(mutex_);
    if (fd_ < 0 || extent.size == 0)
        return;
    held_ -= extent.size;
    if (held_ == 0 && ::ftruncate(fd_, 0) == 0) {
        end_ = 0;
        return;
    }
    ::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(extent.offset),
                static_cast<off_t>(extent.size));
}

std::uint64_t ScratchFile::held() const {
    const std::lock_guard lock(mutex_);
    return held_;
}

std::vector<FilePath> ScratchFolders() {
    std::vector<FilePath> folders;
    if (FilePath cache = AbsoluteFromEnvironment("XDG_CACHE_HOME"); !cache.empty())
        folders.push_back(cache + "/pelldrake");
    else if (FilePath home = AbsoluteFromEnvironment("HOME"); !home.empty())
        folders.push_back(home + "/.cache/pelldrake");
    const FilePath temporary = AbsoluteFromEnvironment("TMPDIR");
    folders.push_back(temporary.empty() ? FilePath("/tmp") : temporary);
    return folders;
}

} // namespace pelldrake
