#pragma once

#include "core/types.h"
#include "thumbs/image_cache.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <deque>
#include <optional>
#include <unordered_map>

namespace pelldrake {

// The shooting-data lines (see ShootingLine) of the files being looked at, read on a thread of their
// own so that neither the window nor a picture's decode waits for them, and kept for the files seen
// lately. Lives on the user-interface thread.
class ShootingLines : public QObject {
    Q_OBJECT

public:
    explicit ShootingLines(QObject* parent = nullptr);
    ~ShootingLines() override;

    // The program's one, created on first use on the calling (user-interface) thread.
    static ShootingLines* Shared();

    // The line of path when it has been read; otherwise it is read before any other, and ready
    // follows.
    std::optional<QString> Line(const FilePath& path);
    // Reads these after the ones asked for, in place of the read-ahead not begun.
    void ReadAhead(const FilePathList& paths);
    bool busy() const { return running_.has_value(); }

    // The line of path, read now on the calling thread.
    static QString Read(const FilePath& path);

signals:
    // A line has been read.
    void ready();

private:
    void StartNext();
    void Finish(const FilePath& path, const QString& line, const std::optional<FileStamp>& stamp);
    void Forget(const FilePath& path);

    // A line is kept with the version of the file it was read from: a file rewritten during the run
    // (an editor's export over it) is read again.
    struct Kept {
        QString line;
        std::optional<FileStamp> stamp;
    };

    std::deque<FilePath> asked_; // newest first
    std::deque<FilePath> ahead_;
    std::optional<FilePath> running_;
    std::unordered_map<FilePath, Kept> lines_;
    std::deque<FilePath> order_; // of lines_, oldest first
    QThreadPool pool_;
};

} // namespace pelldrake
