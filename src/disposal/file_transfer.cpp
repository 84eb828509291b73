#include "disposal/file_transfer.h"

#include "platform/file_system.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace pelldrake {

namespace {

constexpr int kTemporaryNameAttempts = 100;

struct CopyResult {
    int error = 0;
    FilePath temporary; // set once a temporary file was made
};

// The complete copy under a temporary name in the target's folder, or nothing left behind.
CopyResult CopyToTemporary(FileSystem& fileSystem, const FilePath& source, const FilePath& target,
                           const FileStatus& sourceStatus, const std::function<void()>& onProgress) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const FilePath temporary = TemporaryNameFor(target, attempt);
        const int error = fileSystem.CopyFile(source, temporary, onProgress);
        if (error == EEXIST)
            continue; // somebody else's file: never touched
        const auto copied = error == 0 ? fileSystem.Status(temporary) : std::nullopt;
        if (error == 0 && copied && copied->size == sourceStatus.size)
            return {0, temporary};
        fileSystem.Remove(temporary);
        return {error != 0 ? error : EIO, {}};
    }
    return {EEXIST, {}};
}

} // namespace

FilePath TemporaryNameFor(const FilePath& target, int attempt) {
    const std::size_t slash = target.find_last_of('/');
    const FilePath folder = slash == FilePath::npos ? FilePath() : target.substr(0, slash + 1);
    // Short and fixed in length, so that a long target name cannot make it too long.
    return folder + ".pelldrake-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".part";
}

TransferResult TransferFile(FileSystem& fileSystem, const FilePath& source, const FilePath& target, bool keepSource,
                            const std::function<void()>& onProgress) {
    const auto sourceStatus = fileSystem.Status(source);
    if (!sourceStatus)
        return {ENOENT};
    if (!sourceStatus->isRegular)
        return {sourceStatus->isFolder ? EISDIR : EINVAL};

    // A rename moves nothing but the name; it also fails when only the source folder is locked,
    // and then the copy below gives the same outcome as copy-then-delete would.
    if (!keepSource && fileSystem.Rename(source, target) == 0)
        return {};

    const CopyResult copy = CopyToTemporary(fileSystem, source, target, *sourceStatus, onProgress);
    if (copy.error != 0)
        return {copy.error};
    if (!keepSource) {
        // The source is the only other copy: the new one must be on the disk before it goes.
        if (const int error = fileSystem.Sync(copy.temporary)) {
            fileSystem.Remove(copy.temporary);
            return {error};
        }
    }
    if (const int error = fileSystem.Rename(copy.temporary, target)) {
        fileSystem.Remove(copy.temporary);
        return {error};
    }
    if (!keepSource)
        fileSystem.Remove(source);
    return {};
}

} // namespace pelldrake
