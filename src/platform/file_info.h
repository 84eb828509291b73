#pragma once

#include "core/types.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace pelldrake {

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
    bool SameFileAs(const FileInfo& other) const { return device == other.device && inode == other.inode; }
};

// Empty when nothing can be examined under the path.
std::optional<FileInfo> StatPath(const FilePath& path);
// The same for a file already open, so that what is read is what was examined.
std::optional<FileInfo> StatOpenFile(int fd);

bool IsRegularFile(const FilePath& path);
bool IsFolder(const FilePath& path);

// The last path component: the name after the final "/".
FilePath FileNameOf(const FilePath& path);

// Between the bytes the file system holds and Qt's text, in the locale's encoding; names that
// are not valid in it come back unchanged.
QString PathToQString(const FilePath& path);
FilePath PathFromQString(const QString& path);

} // namespace pelldrake
