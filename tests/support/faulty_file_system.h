#pragma once

#include "platform/file_system.h"
#include "platform/volume_rules.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <map>
#include <set>
#include <unistd.h>

namespace pelldrake::testing {

// The real disk, with faults on request: a disk that fills up from the n-th copy on (after
// writing part of the file), a folder that refuses new files, moves that must cross file
// systems, a copy that comes back short, hooks that change the disk under the program's feet,
// a trash that is there or not (the fake one, or the desktop's own), and target folders that keep
// a memory card's rules. Its hooks and counts may be used from one other thread while the test
// waits for it.
class FaultyFileSystem : public FileSystem {
public:
    // Runs before each copy or rename of a file, with its source and target.
    std::function<void(const FilePath& source, const FilePath& target)> beforeTransfer;
    // Runs after each rename of a file, or its copy under a name of its own, that succeeded.
    std::function<void(const FilePath& source, const FilePath& target)> afterTransfer;
    // Runs while the bytes of a copy are on their way.
    std::function<void()> duringCopy;
    int diskFullFromCopy = 0;             // 1-based; 0 never
    std::map<FilePath, int> folderErrors; // a new name in this folder fails with the errno
    std::map<FilePath, int> removeErrors; // no name may leave this folder (removal, rename from)
    bool crossDevice = false;             // every rename of a user's file fails with EXDEV
    bool shortCopy = false;               // copies stop halfway and report success
    bool trashAvailable = true;
    std::set<FilePath> trashRefuses;  // files the trash will not take
    FilePath trashFolder;             // where a trashed file goes; empty: the desktop's own trash
    std::optional<VolumeKind> volume; // the rules every target folder keeps; unset: its own
    int copies = 0;
    int renames = 0;

    std::optional<FileStatus> Status(const FilePath& path) override { return disk_.Status(path); }
    bool NameTaken(const FilePath& path) override { return disk_.NameTaken(path); }
    FilePath StoredSpelling(const FilePath& path) override { return disk_.StoredSpelling(path); }
    FilePathList FolderNames(const FilePath& folder) override { return disk_.FolderNames(folder); }

    int MakeFolder(const FilePath& path) override {
        if (const int error = FolderError(path))
            return error;
        return disk_.MakeFolder(path);
    }

    int CopyFile(const FilePath& source, const FilePath& target, const std::function<void()>& onChunk) override {
        ++copies;
        if (beforeTransfer)
            beforeTransfer(source, target);
        if (const int error = FolderError(target))
            return error;
        const bool diskFull = diskFullFromCopy > 0 && copies >= diskFullFromCopy;
        if (!diskFull && !shortCopy) {
            const int error = disk_.CopyFile(source, target, duringCopy ? duringCopy : onChunk);
            if (error == 0 && afterTransfer)
                afterTransfer(source, target);
            return error;
        }
        // Half the bytes reach the target, then the disk has no more room.
        QFile in(Decoded(source));
        if (!in.open(QIODevice::ReadOnly))
            return ENOENT;
        const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0)
            return errno;
        const QByteArray half = in.read(in.size() / 2);
        const bool written = ::write(fd, half.constData(), static_cast<std::size_t>(half.size())) == half.size();
        ::close(fd);
        return diskFull ? ENOSPC : (written ? 0 : EIO);
    }

    int WouldRefuse(const FilePath& target, std::int64_t size) override {
        if (!volume)
            return disk_.WouldRefuse(target, size);
        return RefusedOn(*volume, target.substr(target.find_last_of('/') + 1), size);
    }

    int Sync(const FilePath& path) override { return disk_.Sync(path); }

    int Rename(const FilePath& from, const FilePath& to) override {
        ++renames;
        const bool temporary = from.find("/.pelldrake-") != FilePath::npos;
        if (!temporary && beforeTransfer)
            beforeTransfer(from, to);
        if (!temporary && crossDevice)
            return EXDEV;
        if (const int error = FolderError(to))
            return error;
        if (const int error = ErrorOf(removeErrors, from))
            return error;
        const int error = disk_.Rename(from, to);
        if (error == 0 && !temporary && afterTransfer)
            afterTransfer(from, to);
        return error;
    }

    int Remove(const FilePath& path) override {
        if (const int error = ErrorOf(removeErrors, path))
            return error;
        return disk_.Remove(path);
    }

    std::optional<FilePath> LinkText(const FilePath& path) override { return disk_.LinkText(path); }
    int MakeLink(const FilePath& text, const FilePath& path) override {
        if (const int error = FolderError(path))
            return error;
        return disk_.MakeLink(text, path);
    }
    bool SameBytes(const FilePath& a, const FilePath& b) override { return disk_.SameBytes(a, b); }

    std::optional<FilePath> MoveToTrash(const FilePath& path) override {
        if (!trashAvailable || trashRefuses.count(path) || !disk_.NameTaken(path))
            return std::nullopt;
        if (trashFolder.empty())
            return disk_.MoveToTrash(path);
        const std::size_t slash = path.find_last_of('/');
        FilePath trashed = trashFolder + "/" + path.substr(slash + 1);
        for (int n = 2; disk_.NameTaken(trashed); ++n)
            trashed = trashFolder + "/" + std::to_string(n) + "." + path.substr(slash + 1);
        if (disk_.Rename(path, trashed) != 0)
            return std::nullopt;
        return trashed;
    }

    int RestoreFromTrash(const FilePath& trashed, const FilePath& original) override {
        if (trashFolder.empty())
            return disk_.RestoreFromTrash(trashed, original);
        if (disk_.NameTaken(original))
            return EEXIST;
        return disk_.Rename(trashed, original);
    }

private:
    static QString Decoded(const FilePath& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

    int FolderError(const FilePath& path) const { return ErrorOf(folderErrors, path); }
    static int ErrorOf(const std::map<FilePath, int>& errors, const FilePath& path) {
        const std::size_t slash = path.find_last_of('/');
        const auto found = errors.find(path.substr(0, slash));
        return found == errors.end() ? 0 : found->second;
    }

    PosixFileSystem disk_;
};

} // namespace pelldrake::testing
