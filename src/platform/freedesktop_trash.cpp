#include "platform/freedesktop_trash.h"

#include "platform/trash_location.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelldrake {

namespace {

constexpr int kNameAttempts = 1000;

FilePath ParentOf(const FilePath& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == FilePath::npos)
        return ".";
    return slash == 0 ? FilePath("/") : path.substr(0, slash);
}

FilePath NameOf(const FilePath& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == FilePath::npos ? path : path.substr(slash + 1);
}

FilePath Joined(const FilePath& folder, const FilePath& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// Walks up from the file's folder to the top of its mount; a relative path ends at ".".
FilePath TopOf(const FilePath& path, const std::function<bool(const FilePath&)>& isMountTop) {
    FilePath folder = ParentOf(path);
    while (folder != "/" && folder != "." && !isMountTop(folder))
        folder = ParentOf(folder);
    return folder;
}

// A folder of the trash that is really a folder: made private when missing, never a link.
bool EnsureFolder(const FilePath& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool EnsureTrash(const FilePath& trash) {
    return EnsureFolder(trash) && EnsureFolder(trash + "/files") && EnsureFolder(trash + "/info");
}

// "a.jpg", "a.2.jpg", "a.3.jpg" …: the extension stays last, so the trash still shows the type.
FilePath CandidateName(const FilePath& name, int attempt) {
    if (attempt == 1)
        return name;
    const std::size_t dot = name.find_last_of('.');
    const std::string number = "." + std::to_string(attempt);
    if (dot == FilePath::npos || dot == 0)
        return name + number;
    return name.substr(0, dot) + number + name.substr(dot);
}

bool WriteAll(int fd, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t put = ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}

// The info file, complete and on the disk, or nothing: a trashed file without its original path
// could not be put back.
bool WriteInfo(int fd, const QByteArray& info) {
    const bool written = WriteAll(fd, info) && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && written;
}

} // namespace

QByteArray PercentEncodedPath(const FilePath& path) {
    return QByteArray::fromStdString(path).toPercentEncoding("/");
}

bool IsNativeMountTop(const FilePath& folder) {
    if (folder == "/")
        return true;
    struct stat self {};
    struct stat parent {};
    if (::stat(folder.c_str(), &self) != 0 || ::stat((folder + "/..").c_str(), &parent) != 0)
        return false;
    return self.st_dev != parent.st_dev;
}

FreedesktopTrash::FreedesktopTrash(FilePath dataHome, unsigned uid, std::function<bool(const FilePath&)> isMountTop)
    : dataHome_(std::move(dataHome)), uid_(uid), isMountTop_(std::move(isMountTop)) {}

FilePath FreedesktopTrash::TopTrash(const FilePath& top) const {
    const std::string uid = std::to_string(uid_);
    // An administrator's shared .Trash counts only when it is a real folder with the sticky bit,
    // so that nobody else can take a user's subfolder or point it elsewhere.
    const FilePath shared = Joined(top, ".Trash");
    struct stat info {};
    if (::lstat(shared.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        const FilePath own = shared + "/" + uid;
        if (EnsureTrash(own))
            return own;
    }
    const FilePath own = Joined(top, ".Trash-" + uid);
    if (!EnsureTrash(own) || ::lstat(own.c_str(), &info) != 0 || info.st_uid != uid_)
        return {};
    return own;
}

FilePath FreedesktopTrash::TrashFor(const FilePath& path) const {
    // Only an absolute data folder is one (a relative one would lie wherever the program started).
    if (!dataHome_.empty() && dataHome_.front() == '/') {
        // The user's data folder is made when missing, as a desktop would have made it.
        const QString home = QFile::decodeName(QByteArray::fromStdString(dataHome_));
        if (EnsureFolder(dataHome_) || QDir().mkpath(home)) {
            const FilePath homeTrash = dataHome_ + "/Trash";
            if (TopOf(homeTrash, isMountTop_) == TopOf(path, isMountTop_))
                return EnsureTrash(homeTrash) ? homeTrash : FilePath();
        }
    }
    return TopTrash(TopOf(path, isMountTop_));
}

std::optional<FilePath> FreedesktopTrash::MoveToTrash(const FilePath& path) const {
    struct stat info {};
    if (path.empty() || path.front() != '/' || ::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    const FilePath trash = TrashFor(path);
    // Never anywhere but the files/ folder of a real trash.
    if (trash.empty() ||
        !IsTrashFilesPath(QFile::decodeName(QByteArray::fromStdString(trash + "/files/x")),
                          QFile::decodeName(QByteArray::fromStdString(dataHome_)), uid_, [this](const QString& folder) {
                              return isMountTop_(QFile::encodeName(folder).toStdString());
                          }))
        return std::nullopt;
    // A trash at the top of a mount keeps the path below the top, so that it still holds when the
    // medium is mounted elsewhere.
    const FilePath top = ParentOf(trash.size() > 2 && NameOf(ParentOf(trash)) == ".Trash" ? ParentOf(trash) : trash);
    const bool home = trash == dataHome_ + "/Trash";
    const FilePath original = home ? path : path.substr(top == "/" ? 1 : top.size() + 1);
    const QByteArray infoText =
        "[Trash Info]\nPath=" + PercentEncodedPath(original) +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() +
        "\n";
    const FilePath name = NameOf(path);
    for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
        const FilePath candidate = CandidateName(name, attempt);
        const FilePath infoPath = trash + "/info/" + candidate + ".trashinfo";
        const FilePath target = trash + "/files/" + candidate;
        // The info file is made first and exclusively: it reserves the name.
        const int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return std::nullopt;
        }
        struct stat existing {};
        if (::lstat(target.c_str(), &existing) == 0) {
            ::close(fd);
            ::unlink(infoPath.c_str());
            continue;
        }
        if (!WriteInfo(fd, infoText) || ::rename(path.c_str(), target.c_str()) != 0) {
            ::unlink(infoPath.c_str());
            return std::nullopt;
        }
        return target;
    }
    return std::nullopt;
}

int FreedesktopTrash::Restore(const FilePath& trashed, const FilePath& original) {
    const FilePath files = ParentOf(trashed);
    if (NameOf(files) != "files")
        return EINVAL;
    // Never over a file that took the place meanwhile.
    if (::renameat2(AT_FDCWD, trashed.c_str(), AT_FDCWD, original.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        struct stat existing {};
        if (::lstat(original.c_str(), &existing) == 0)
            return EEXIST;
        if (::rename(trashed.c_str(), original.c_str()) != 0)
            return errno;
    }
    ::unlink((ParentOf(files) + "/info/" + NameOf(trashed) + ".trashinfo").c_str());
    return 0;
}

} // namespace pelldrake
