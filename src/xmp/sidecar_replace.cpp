#include "xmp/sidecar_replace.h"

#include "board/list_change.h"
#include "platform/file_system.h"
#include "platform/small_file.h"

#include <cerrno>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace pelldrake {

namespace {

constexpr int kNameAttempts = 100;

// The name the disposal's copies use for their temporary files, with a random number in place of
// the attempt, so that a later copy of the program under the same process id never meets one of
// ours that a recovery is about to remove.
FilePath TemporaryBeside(const FilePath& path) {
    thread_local std::mt19937 random{std::random_device{}()};
    const std::size_t slash = path.find_last_of('/');
    const FilePath folder = slash == FilePath::npos ? FilePath() : path.substr(0, slash + 1);
    return folder + ".pelldrake-" + std::to_string(::getpid()) + "-" +
           std::to_string(std::uniform_int_distribution<unsigned>(0, 999'999'999)(random)) + ".part";
}

} // namespace

SidecarBefore ReadSidecar(FileSystem& fileSystem, const FilePath& sidecar) {
    using Kind = SidecarBefore::Kind;
    SidecarBefore before;
    before.path = sidecar;
    // A link stays a link: what it names is what is read and replaced.
    if (fileSystem.LinkText(sidecar)) {
        std::error_code error;
        const std::filesystem::path target = std::filesystem::canonical(sidecar, error);
        if (error) {
            before.kind = Kind::Untouchable;
            return before;
        }
        before.path = target.native();
    }
    SmallFileReading reading = ReadSmallFile(before.path, kMostSidecarBytes);
    switch (reading.kind) {
    case SmallFileReading::Kind::Absent:
        before.kind = Kind::Absent;
        return before;
    case SmallFileReading::Kind::Read:
        break;
    default:
        before.kind = Kind::Untouchable;
        return before;
    }
    // Read-only is the user's word that the file is not to change, though its folder would let a
    // rename replace it.
    before.kind = (reading.mode & 0222) == 0 ? Kind::Untouchable : Kind::Xmp;
    before.bytes = std::move(reading.bytes);
    before.mode = reading.mode;
    return before;
}

int ReplaceFile(FileSystem& fileSystem, ListChangeSink* journal, const FilePath& path, const std::string& bytes,
                std::optional<mode_t> mode) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const FilePath temporary = TemporaryBeside(path);
        if (journal)
            journal->ScratchIntent(temporary);
        const int error = WriteNewFile(temporary, bytes, mode);
        if (error == EEXIST)
            continue; // somebody's file: never touched
        if (error != 0)
            return error;
        if (const int renamed = fileSystem.Rename(temporary, path)) {
            fileSystem.Remove(temporary);
            return renamed;
        }
        return 0;
    }
    return EEXIST;
}

} // namespace pelldrake
