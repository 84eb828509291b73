#include "platform/file_info.h"

#include <QFile>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace pelldrake {

namespace {

FileInfo FromStat(const struct stat& info) {
    FileInfo file;
    file.kind = S_ISREG(info.st_mode)   ? FileInfo::Kind::Regular
                : S_ISDIR(info.st_mode) ? FileInfo::Kind::Folder
                                        : FileInfo::Kind::Other;
    file.size = static_cast<std::int64_t>(info.st_size);
    file.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    file.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    file.device = static_cast<std::uint64_t>(info.st_dev);
    file.inode = static_cast<std::uint64_t>(info.st_ino);
    return file;
}

} // namespace

std::optional<FileInfo> StatPath(const FilePath& path) {
    return StatPath(path.c_str());
}

std::optional<FileInfo> StatPath(const char* path) {
    struct stat info {};
    if (!path || !*path || ::stat(path, &info) != 0)
        return std::nullopt;
    return FromStat(info);
}

std::optional<FileInfo> StatOpenFile(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return FromStat(info);
}

bool IsRegularFile(const FilePath& path) {
    const auto info = StatPath(path);
    return info && info->IsRegular();
}

bool IsFolder(const FilePath& path) {
    const auto info = StatPath(path);
    return info && info->IsFolder();
}

bool IsRegularFileNotLink(const FilePath& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<FilePath> ResolvedPath(const FilePath& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return std::nullopt;
    FilePath out(resolved);
    std::free(resolved);
    return out;
}

bool LiesWithin(const FilePath& resolvedPath, const FilePath& resolvedFolder) {
    if (resolvedFolder == "/")
        return !resolvedPath.empty() && resolvedPath.front() == '/';
    return resolvedPath.starts_with(resolvedFolder) &&
           (resolvedPath.size() == resolvedFolder.size() || resolvedPath[resolvedFolder.size()] == '/');
}

bool CanCreateIn(const FilePath& folder) {
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0 && IsFolder(folder);
}

FilePath AbsolutePath(const FilePath& path) {
    if (path.empty() || path.front() == '/')
        return path;
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error)
        return path;
    FilePath joined = current.native();
    if (joined.empty() || joined.back() != '/')
        joined += '/';
    return joined + path;
}

FilePath FileNameOf(const FilePath& path) {
    const std::size_t slash = path.rfind('/');
    return slash == FilePath::npos ? path : path.substr(slash + 1);
}

QString PathToQString(const FilePath& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

FilePath PathFromQString(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString DisplayPath(const FilePath& path, int longest) {
    QString name = PathToQString(path);
    if (name.size() > longest) {
        const int kept = longest - 1;
        name = name.left((kept + 1) / 2) + QStringLiteral("\u2026") + name.right(kept / 2);
    }
    return name;
}

} // namespace pelldrake
