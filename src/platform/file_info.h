#pragma once

#include "core/types.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace pelldrake {

// Which file a path names, whatever its spelling: device and inode. An entry's identity also says
// whether the camera raw files of its base name came in with it as its pair: decided once, when
// the entry arrives, it goes wherever the entry goes (moves, undo, disposals) at no cost in memory.
struct FileIdentity {
    constexpr FileIdentity() = default;
    constexpr FileIdentity(std::uint64_t device, std::uint64_t inode) : device(device), inode(inode) {}

    // Linux device numbers fit in 32 bits (12 for the major, 20 for the minor): the top bit is free.
    std::uint64_t device : 63 = 0;
    std::uint64_t paired : 1 = 0;
    std::uint64_t inode = 0;

    // The same file, whatever came with it.
    bool operator==(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
    // No file has inode 0: an entry whose file was never examined holds the default.
    bool Known() const { return inode != 0; }
    bool Paired() const { return paired != 0; }
};
static_assert(sizeof(FileIdentity) == 16, "a million entries hold a million identities");

struct FileIdentityHash {
    std::size_t operator()(const FileIdentity& id) const noexcept {
        return std::hash<std::uint64_t>{}(id.inode * 0x9e3779b97f4a7c15ULL ^ std::uint64_t{id.device});
    }
};

// One file as the file system describes it, links followed. Every look at a file's kind, size or
// identity goes through here, so the rest of the program never calls stat itself.
struct FileInfo {
    enum class Kind { Regular, Folder, Other };

    Kind kind = Kind::Other;
    std::int64_t size = 0;
    // Seconds and nanoseconds apart: their product overflows 64 bits for dates after 2262.
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    // Device and inode: the same file whatever its spelling (links, "./", doubled "/").
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool IsRegular() const { return kind == Kind::Regular; }
    bool IsFolder() const { return kind == Kind::Folder; }
    FileIdentity identity() const { return {device, inode}; }
    bool SameFileAs(const FileInfo& other) const { return identity() == other.identity(); }
};

// Empty when nothing can be examined under the path.
std::optional<FileInfo> StatPath(const FilePath& path);
std::optional<FileInfo> StatPath(const char* path);
// The same for a file already open, so that what is read is what was examined.
std::optional<FileInfo> StatOpenFile(int fd);

bool IsRegularFile(const FilePath& path);
bool IsFolder(const FilePath& path);
// A regular file that is not reached through a link at its own name (the folders above may be).
bool IsRegularFileNotLink(const FilePath& path);

// The path with every link, "." and ".." resolved; empty when some part of it does not exist.
std::optional<FilePath> ResolvedPath(const FilePath& path);
// Whether a resolved path is the resolved folder itself or lies below it.
bool LiesWithin(const FilePath& resolvedPath, const FilePath& resolvedFolder);

// Whether this process may create files in the folder (write and search permission).
bool CanCreateIn(const FilePath& folder);

// A relative path joined to the current directory, byte for byte; an absolute one unchanged. The
// spelling is kept ("..", links), so the file shows as the user named it.
FilePath AbsolutePath(const FilePath& path);

// The last path component: the name after the final "/".
FilePath FileNameOf(const FilePath& path);

// Between the bytes the file system holds and Qt's text, in the locale's encoding; names that
// are not valid in it come back unchanged.
QString PathToQString(const FilePath& path);
FilePath PathFromQString(const QString& path);
// The path as a message shows it: a name longer than longest characters keeps its start and its
// end around "…", so that no box grows past the screen or takes seconds to lay out.
QString DisplayPath(const FilePath& path, int longest);

} // namespace pelldrake
