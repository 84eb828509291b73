#pragma once

#include "core/types.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <sys/types.h>

namespace pelldrake {

// What the file system says about a path, symbolic links followed.
struct FileStatus {
    dev_t device = 0;
    ino_t inode = 0;
    bool isFolder = false;
    bool isRegular = false;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // modification time, nanoseconds since the epoch

    // Two spellings name one file when they reach the same inode of the same device.
    bool SameFileAs(const FileStatus& other) const { return device == other.device && inode == other.inode; }
};

// Every change a disposal makes on disk passes through here, so that a test can make any step
// fail the way a full disk, a revoked permission or a vanished file would. Errors are errno
// values; 0 is success.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // nullopt when the path does not exist or cannot be reached.
    virtual std::optional<FileStatus> Status(const FilePath& path) = 0;
    // Whether anything stands under the name, a link to nothing included.
    virtual bool NameTaken(const FilePath& path) = 0;
    // The path with its last name as its folder spells it: where case is ignored (a memory card),
    // the name asked for may reach a file spelled otherwise. The path itself when none is found.
    virtual FilePath StoredSpelling(const FilePath& path) = 0;
    // The names in a folder (without "." and ".."); empty when it cannot be read.
    virtual FilePathList FolderNames(const FilePath& folder) = 0;
    virtual int MakeFolder(const FilePath& path) = 0;
    // A new file at target (which must not exist yet) with source's bytes, permission bits and
    // modification time, calling onChunk, when given, after each few megabytes. Where the file system allows, the
    // copy is made unnamed and the name appears only once it is complete; elsewhere, on failure,
    // target may hold part of the bytes.
    virtual int CopyFile(const FilePath& source, const FilePath& target, const std::function<void()>& onChunk) = 0;
    // 0 when the target's file system takes a file of that name and size, else the errno it would
    // fail with, told before a byte is written (a memory card's names and largest file).
    virtual int WouldRefuse(const FilePath& target, std::int64_t size) = 0;
    // Waits until the file's bytes are on the disk, before its only other copy goes.
    virtual int Sync(const FilePath& path) = 0;
    // Within one file system, replacing an existing target; EXDEV across file systems.
    virtual int Rename(const FilePath& from, const FilePath& to) = 0;
    virtual int Remove(const FilePath& path) = 0;
    // What a symbolic link holds; nothing when the path is no link.
    virtual std::optional<FilePath> LinkText(const FilePath& path) = 0;
    // A new symbolic link at path holding text.
    virtual int MakeLink(const FilePath& text, const FilePath& path) = 0;
    // Whether both hold the same bytes.
    virtual bool SameBytes(const FilePath& a, const FilePath& b) = 0;
    // The desktop's trash: where the file now lies in it, or nothing when it could not go there
    // (it then stays where it was).
    virtual std::optional<FilePath> MoveToTrash(const FilePath& path) = 0;
    // Puts a file the trash holds back at its original path, which must be free, and forgets its
    // entry in the trash.
    virtual int RestoreFromTrash(const FilePath& trashed, const FilePath& original) = 0;
};

// The machine's own file system (POSIX calls and the freedesktop trash).
class PosixFileSystem final : public FileSystem {
public:
    std::optional<FileStatus> Status(const FilePath& path) override;
    bool NameTaken(const FilePath& path) override;
    FilePath StoredSpelling(const FilePath& path) override;
    FilePathList FolderNames(const FilePath& folder) override;
    int MakeFolder(const FilePath& path) override;
    int CopyFile(const FilePath& source, const FilePath& target, const std::function<void()>& onChunk) override;
    int WouldRefuse(const FilePath& target, std::int64_t size) override;
    int Sync(const FilePath& path) override;
    int Rename(const FilePath& from, const FilePath& to) override;
    int Remove(const FilePath& path) override;
    std::optional<FilePath> LinkText(const FilePath& path) override;
    int MakeLink(const FilePath& text, const FilePath& path) override;
    bool SameBytes(const FilePath& a, const FilePath& b) override;
    std::optional<FilePath> MoveToTrash(const FilePath& path) override;
    int RestoreFromTrash(const FilePath& trashed, const FilePath& original) override;
};

} // namespace pelldrake
