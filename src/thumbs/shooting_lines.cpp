#include "thumbs/shooting_lines.h"

#include "platform/file_info.h"
#include "thumbs/shooting_data.h"

#include <QCoreApplication>
#include <algorithm>

namespace pelldrake {

namespace {
// A day's shoot stepped through and back; a line is a few hundred bytes.
constexpr std::size_t kKeptLines = 512;
// Lines wanted at once: the cells of the window and a file or two ahead of each.
constexpr std::size_t kMaxAsked = 8;
} // namespace

ShootingLines::ShootingLines(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(1);
}

ShootingLines::~ShootingLines() {
    pool_.waitForDone();
}

ShootingLines* ShootingLines::Shared() {
    static ShootingLines* shared = new ShootingLines(QCoreApplication::instance());
    return shared;
}

QString ShootingLines::Read(const FilePath& path) {
    return ShootingLine(PathToQString(FileNameOf(path)), ReadShootingData(path));
}

std::optional<QString> ShootingLines::Line(const FilePath& path) {
    if (path.empty())
        return QString();
    if (const auto found = lines_.find(path); found != lines_.end()) {
        if (found->second.stamp == FileStamp::Of(path))
            return found->second.line;
        Forget(path);
    }
    if (running_ != path) {
        std::erase(asked_, path);
        asked_.push_front(path);
        // Files the user has moved past are not read any more.
        if (asked_.size() > kMaxAsked)
            asked_.pop_back();
        StartNext();
    }
    return std::nullopt;
}

void ShootingLines::ReadAhead(const FilePathList& paths) {
    ahead_.clear();
    for (const FilePath& path : paths) {
        if (!path.empty() && !lines_.contains(path))
            ahead_.push_back(path);
    }
    StartNext();
}

void ShootingLines::StartNext() {
    if (running_)
        return;
    FilePath next;
    do {
        std::deque<FilePath>& from = asked_.empty() ? ahead_ : asked_;
        if (from.empty())
            return;
        next = from.front();
        from.pop_front();
    } while (lines_.contains(next));
    running_ = next;
    pool_.start([this, path = next] {
        // Taken before the read: a file changed while it is read is read again when next asked for.
        const std::optional<FileStamp> stamp = FileStamp::Of(path);
        const QString line = Read(path);
        QMetaObject::invokeMethod(
            this, [this, path, line, stamp] { Finish(path, line, stamp); }, Qt::QueuedConnection);
    });
}

void ShootingLines::Forget(const FilePath& path) {
    lines_.erase(path);
    std::erase(order_, path);
}

void ShootingLines::Finish(const FilePath& path, const QString& line, const std::optional<FileStamp>& stamp) {
    running_.reset();
    if (!lines_.contains(path)) {
        lines_.emplace(path, Kept{line, stamp});
        order_.push_back(path);
        if (order_.size() > kKeptLines) {
            lines_.erase(order_.front());
            order_.pop_front();
        }
    }
    std::erase(ahead_, path);
    StartNext();
    emit ready();
}

} // namespace pelldrake
