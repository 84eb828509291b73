#include "platform/profile_file.h"

#include "platform/profile_text.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelldrake {

namespace {

// Settings files are a few hundred bytes; anything far larger is not ours to parse.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

// File times may be as coarse as this; a file changed more recently than that before it was read
// could change again without its times showing it, so its parse is not kept.
constexpr time_t kTimeGranularitySeconds = 2;

// Seconds and nanoseconds compared apart: one count of nanoseconds overflows after the year 2262.
bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

struct FileRead {
    enum class Status {
        Missing, // nothing at the path: a write may create the file
        Read,    // a regular file, read whole
        Refused, // something we must not replace
    };
    Status status = Status::Refused;
    std::string content;
    struct stat info {};
};

FileRead ReadWholeFile(const QByteArray& path) {
    FileRead out;
    // A device is not even opened: opening some (a tape) does something.
    struct stat before {};
    if (::stat(path.constData(), &before) == 0 && !S_ISREG(before.st_mode))
        return out;
    // O_NONBLOCK keeps a FIFO put in place meanwhile from holding the program; it is refused below.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        struct stat entry {};
        // A dangling link is refused too: it stands for a file the user keeps elsewhere.
        if (errno == ENOENT && ::lstat(path.constData(), &entry) != 0 && errno == ENOENT)
            out.status = FileRead::Status::Missing;
        return out;
    }
    if (::fstat(fd, &out.info) == 0 && S_ISREG(out.info.st_mode) && out.info.st_size <= kMaxFileSize) {
        char buffer[65536];
        bool whole = false;
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                whole = got == 0;
                break;
            }
            if (out.content.size() + static_cast<std::size_t>(got) > static_cast<std::size_t>(kMaxFileSize))
                break; // grew while we read it
            out.content.append(buffer, static_cast<std::size_t>(got));
        }
        if (whole)
            out.status = FileRead::Status::Read;
    }
    ::close(fd);
    if (out.status != FileRead::Status::Read)
        out.content.clear();
    return out;
}

// Holds an advisory lock on the folder of the file for one read-modify-rename. The file itself
// cannot carry the lock, as the rename replaces it with another inode.
class FolderLock {
public:
    explicit FolderLock(const QString& filePath) {
        const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
        fd_ = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // A folder that cannot be opened for reading cannot be locked; the write goes ahead unguarded.
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_ = -1;
};

// The new file is created by us; give it the old file's owner and mode before it takes its place.
bool TakeOwnerAndMode(int fd, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

} // namespace

struct ProfileFile::Snapshot {
    std::mutex mutex;
    // The file's identity, size and times when they can vouch for its content: they were older
    // than the times' granularity when it was read.
    bool trusted = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    std::string content;
    std::shared_ptr<const ProfileText> text;

    bool Matches(const struct stat& info) const {
        return trusted && info.st_dev == device && info.st_ino == inode && info.st_size == size &&
               SameTime(info.st_mtim, modified) && SameTime(info.st_ctim, changed);
    }

    // The parse of the file as it is now; empty for a file that is missing or cannot be read.
    std::shared_ptr<const ProfileText> Current(const QString& path) {
        const QByteArray native = QFile::encodeName(path);
        std::lock_guard lock(mutex);
        struct stat info {};
        if (::stat(native.constData(), &info) == 0 && Matches(info))
            return text;
        FileRead read = ReadWholeFile(native);
        if (read.status != FileRead::Status::Read) {
            trusted = false;
            text.reset();
            content.clear();
            return std::make_shared<const ProfileText>();
        }
        // A file just written cannot be vouched for by its times; its bytes can.
        if (!text || read.content != content) {
            text = std::make_shared<const ProfileText>(read.content);
            content = std::move(read.content);
        }
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        trusted = read.info.st_ctim.tv_sec < now.tv_sec - kTimeGranularitySeconds;
        device = read.info.st_dev;
        inode = read.info.st_ino;
        size = read.info.st_size;
        modified = read.info.st_mtim;
        changed = read.info.st_ctim;
        return text;
    }
};

ProfileFile::ProfileFile(QString path) : path_(std::move(path)), snapshot_(std::make_shared<Snapshot>()) {}

int ParseLeadingInt(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

std::string ProfileFile::ReadText(std::string_view section, std::string_view key, std::string_view defaultText) const {
    const auto text = snapshot_->Current(path_);
    const std::string* value = text->Find(section, key);
    return value ? *value : std::string(defaultText);
}

int ProfileFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    const auto text = snapshot_->Current(path_);
    const std::string* value = text->Find(section, key);
    return value ? ParseLeadingInt(*value) : defaultValue;
}

std::shared_ptr<const ProfileText> ProfileFile::Parsed() const {
    return snapshot_->Current(path_);
}

bool ProfileFile::Unreadable() const {
    const QByteArray native = QFile::encodeName(path_);
    struct stat info;
    return ::lstat(native.constData(), &info) == 0 && ReadWholeFile(native).status != FileRead::Status::Read;
}

std::vector<std::string> ProfileFile::Keys(std::string_view section) const {
    return snapshot_->Current(path_)->Keys(section);
}

bool ProfileFile::WriteText(std::string_view section, std::string_view key, std::string_view value) const {
    if (!IsStorableEntry(section, key, value))
        return false;
    const FolderLock lock(path_);
    const FileRead read = ReadWholeFile(QFile::encodeName(path_));
    if (read.status == FileRead::Status::Refused)
        return false;
    const bool exists = read.status == FileRead::Status::Read;
    // Without any write bit the file is meant to stay as it is, also for root.
    if (exists && (read.info.st_mode & 0222) == 0)
        return false;
    const std::optional<std::string> out = WithEntry(read.content, section, key, value);
    if (!out)
        return false;
    if (exists && *out == read.content)
        return true;

    // Write beside the old file and rename over it, so a failed write never leaves half a file.
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (exists && !TakeOwnerAndMode(file.handle(), read.info)) {
        file.cancelWriting();
        return false;
    }
    file.write(out->data(), static_cast<qint64>(out->size()));
    return file.commit();
}

} // namespace pelldrake
