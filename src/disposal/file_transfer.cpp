#include "disposal/file_transfer.h"

#include "platform/file_system.h"

#include <cerrno>
#include <csignal>
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
                           const FileStatus& sourceStatus) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const FilePath temporary = TemporaryNameFor(target, attempt);
        const int error = fileSystem.CopyFile(source, temporary, {});
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

TransferResult TransferFile(FileSystem& fileSystem, const FilePath& source, const FilePath& target, bool keepSource) {
    const auto sourceStatus = fileSystem.Status(source);
    if (!sourceStatus)
        return {ENOENT};
    if (!sourceStatus->isRegular)
        return {sourceStatus->isFolder ? EISDIR : EINVAL};

    // A rename moves nothing but the name; it also fails when only the source folder is locked,
    // and then the copy below gives the same outcome as copy-then-delete would.
    if (!keepSource && fileSystem.Rename(source, target) == 0)
        return {};

    const CopyResult copy = CopyToTemporary(fileSystem, source, target, *sourceStatus);
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
    if (!keepSource) {
        const int error = fileSystem.Remove(source);
        return {0, error != 0 && error != ENOENT};
    }
    return {};
}

void RemoveStaleTemporaries(FileSystem& fileSystem, const FilePath& folder) {
    const std::string prefix = ".pelldrake-";
    const std::string suffix = ".part";
    for (const FilePath& name : fileSystem.FolderNames(folder)) {
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        const std::size_t dash = middle.find('-');
        if (dash == 0 || dash == std::string::npos || dash + 1 == middle.size() ||
            middle.find_first_not_of("0123456789-") != std::string::npos ||
            middle.find('-', dash + 1) != std::string::npos || dash > 9)
            continue;
        const int pid = std::stoi(middle.substr(0, dash));
        // Only a process that is gone cannot still be writing it.
        if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        fileSystem.Remove(folder + (folder.back() == '/' ? "" : "/") + name);
    }
}

} // namespace pelldrake
