#include "platform/file_system.h"

#include "platform/descriptor.h"
#include "platform/freedesktop_trash.h"
#include "platform/volume_rules.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelldrake {

namespace {

int ErrnoOf(int result) {
    return result == 0 ? 0 : errno;
}

// Half a megabyte takes a few milliseconds on a good disk and well under 100 ms on a slow one,
// even when the kernel holds the writer back, so the window can repaint between two of them.
constexpr std::size_t kChunk = 1 << 19;

// Through the program's memory, where the kernel cannot copy by itself. The first read goes into a
// small buffer on the stack: most often it finds the end of a file the kernel has copied already,
// and a copy of many files should not pay for a large buffer each time.
// Its buffer is the size cp reads with: one that fits the processor's cache, where a larger one
// would make each byte go through memory twice.
constexpr std::size_t kBuffer = 1 << 17;

int CopyByReadWrite(int in, int out, const std::function<void()>& onChunk) {
    char first[4096];
    std::unique_ptr<char[]> large;
    for (;;) {
        char* const buffer = large ? large.get() : first;
        const ssize_t got = ::read(in, buffer, large ? kBuffer : sizeof first);
        if (got == 0)
            return 0;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += put;
        }
        if (!large)
            large.reset(new char[kBuffer]);
        if (onChunk)
            onChunk();
    }
}

bool CannotCopyThisWay(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP;
}

// The kernel copies without passing the bytes through the program where it can: within one file
// system by copy_file_range, across file systems (which copy_file_range refuses) by sendfile.
int CopyContents(int in, int out, off_t size, const std::function<void()>& onChunk) {
    bool acrossFileSystems = false;
    off_t left = size;
    while (left > 0) {
        const auto chunk = std::min(static_cast<std::size_t>(left), kChunk);
        const ssize_t copied = acrossFileSystems ? ::sendfile(out, in, nullptr, chunk)
                                                 : ::copy_file_range(in, nullptr, out, nullptr, chunk, 0);
        if (copied < 0) {
            if (errno == EINTR)
                continue;
            if (!CannotCopyThisWay(errno))
                return errno;
            if (acrossFileSystems)
                return CopyByReadWrite(in, out, onChunk);
            acrossFileSystems = true;
            continue;
        }
        if (copied == 0)
            break; // the file shrank meanwhile; the size check of the caller notices
        left -= copied;
        if (onChunk)
            onChunk();
    }
    // Whatever grew after the size was taken follows too.
    return CopyByReadWrite(in, out, onChunk);
}

} // namespace

bool PosixFileSystem::NameTaken(const FilePath& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

FilePathList PosixFileSystem::FolderNames(const FilePath& folder) {
    FilePathList names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

std::optional<FileStatus> PosixFileSystem::Status(const FilePath& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileStatus{info.st_dev,
                      info.st_ino,
                      S_ISDIR(info.st_mode),
                      S_ISREG(info.st_mode),
                      static_cast<std::int64_t>(info.st_size),
                      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

int PosixFileSystem::MakeFolder(const FilePath& path) {
    return ErrnoOf(::mkdir(path.c_str(), 0777));
}

namespace {

FilePath FolderOf(const FilePath& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == FilePath::npos)
        return ".";
    return slash == 0 ? FilePath("/") : path.substr(0, slash);
}

// An unnamed file in the target's folder where the file system can make one: a copy cut short
// (a crash, a kill, a full disk) then leaves nothing behind. Else the named file, made exclusively.
struct NewFile {
    int fd = -1;
    bool unnamed = false;
};

NewFile OpenNewFile(const FilePath& target) {
    const int unnamed = ::open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (unnamed >= 0)
        return {unnamed, true};
    return {::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600), false};
}

// Gives the complete unnamed file its name; fails with EEXIST when the name was taken meanwhile.
int LinkIntoPlace(int fd, const FilePath& target) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0)
        return errno;
    // Without /proc only a privileged process can link a descriptor.
    return ErrnoOf(::linkat(fd, "", AT_FDCWD, target.c_str(), AT_EMPTY_PATH));
}

} // namespace

int PosixFileSystem::CopyFile(const FilePath& source, const FilePath& target, const std::function<void()>& onChunk) {
    Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return errno;
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    // Read ahead as far as the kernel will: the file is read once, front to back.
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    // The name is never taken from somebody else, also when the file is made unnamed.
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0)
        return EEXIST;
    const NewFile made = OpenNewFile(target);
    Descriptor out(made.fd);
    if (out.get() < 0)
        return errno;
    if (const int error = CopyContents(in.get(), out.get(), info.st_size, onChunk))
        return error;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::futimens(out.get(), times) != 0 || ::fchmod(out.get(), info.st_mode & 07777) != 0)
        return errno;
    if (made.unnamed) {
        if (const int error = LinkIntoPlace(out.get(), target))
            return error;
    }
    return out.Close();
}

FilePath PosixFileSystem::StoredSpelling(const FilePath& path) {
    struct stat wanted {};
    if (::lstat(path.c_str(), &wanted) != 0)
        return path;
    const FilePath folder = FolderOf(path);
    const std::size_t slash = path.find_last_of('/');
    const FilePath name = slash == FilePath::npos ? path : path.substr(slash + 1);
    const QString folded = QString::fromUtf8(name);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return path;
    FilePath found;
    while (const dirent* entry = ::readdir(dir)) {
        if (name == entry->d_name) {
            found.clear();
            break;
        }
        // Only another spelling of the name counts: a hard link under another name is not one.
        struct stat info {};
        if (found.empty() && folded.compare(QString::fromUtf8(entry->d_name), Qt::CaseInsensitive) == 0 &&
            ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && info.st_dev == wanted.st_dev &&
            info.st_ino == wanted.st_ino)
            found = entry->d_name;
    }
    ::closedir(dir);
    return found.empty() ? path : path.substr(0, slash + 1) + found;
}

int PosixFileSystem::WouldRefuse(const FilePath& target, std::int64_t size) {
    const std::size_t slash = target.find_last_of('/');
    return RefusedOn(VolumeKindOf(FolderOf(target)), slash == FilePath::npos ? target : target.substr(slash + 1), size);
}

int PosixFileSystem::Sync(const FilePath& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return errno;
    return ErrnoOf(::fsync(file.get()));
}

int PosixFileSystem::Rename(const FilePath& from, const FilePath& to) {
    return ErrnoOf(::rename(from.c_str(), to.c_str()));
}

int PosixFileSystem::Remove(const FilePath& path) {
    return ErrnoOf(::unlink(path.c_str()));
}

std::optional<FilePath> PosixFileSystem::LinkText(const FilePath& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return std::nullopt;
    // The size lstat gives may be 0 (some pseudo file systems) or change meanwhile: grow until it fits.
    std::string text(static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)) + 1, '\0');
    for (;;) {
        const ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
        if (length < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

int PosixFileSystem::MakeLink(const FilePath& text, const FilePath& path) {
    return ErrnoOf(::symlink(text.c_str(), path.c_str()));
}

bool PosixFileSystem::SameBytes(const FilePath& a, const FilePath& b) {
    Descriptor first(::open(a.c_str(), O_RDONLY | O_CLOEXEC));
    Descriptor second(::open(b.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat firstInfo {};
    struct stat secondInfo {};
    if (first.get() < 0 || second.get() < 0 || ::fstat(first.get(), &firstInfo) != 0 ||
        ::fstat(second.get(), &secondInfo) != 0 || !S_ISREG(firstInfo.st_mode) || !S_ISREG(secondInfo.st_mode) ||
        firstInfo.st_size != secondInfo.st_size)
        return false;
    constexpr std::size_t kBlock = 1 << 16;
    std::unique_ptr<char[]> buffers(new char[2 * kBlock]);
    char* const one = buffers.get();
    char* const other = one + kBlock;
    for (;;) {
        const ssize_t got = ::read(first.get(), one, kBlock);
        if (got < 0)
            return false;
        if (got == 0)
            return ::read(second.get(), other, 1) == 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::read(second.get(), other + done, static_cast<std::size_t>(got - done));
            if (put <= 0)
                return false;
            done += put;
        }
        if (std::memcmp(one, other, static_cast<std::size_t>(got)) != 0)
            return false;
    }
}

std::optional<FilePath> PosixFileSystem::MoveToTrash(const FilePath& path) {
    QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    // Qt hands on a relative XDG_DATA_HOME as it is; the XDG rules call it invalid, to be ignored
    // for the default under the home.
    if (QDir::isRelativePath(dataHome))
        dataHome =
            QDir::isAbsolutePath(QDir::homePath()) ? QDir::homePath() + QStringLiteral("/.local/share") : QString();
    const FreedesktopTrash trash(QFile::encodeName(dataHome).toStdString(), ::getuid(), IsNativeMountTop);
    return trash.MoveToTrash(path);
}

int PosixFileSystem::RestoreFromTrash(const FilePath& trashed, const FilePath& original) {
    return FreedesktopTrash::Restore(trashed, original);
}

} // namespace pelldrake
