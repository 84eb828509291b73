// Measures the program against hostile input.
//
// Without arguments: the loader against hostile pictures, decompression bombs in read-ahead (peak
// memory of the whole process) and huge pictures the user steps away from (time until the next,
// normal picture is shown); exits with 1 when the normal picture takes longer than a second or the
// peak passes 2 GiB.
//
// With file names: each decoded at the pane's size (--size WxH for another, the enlarge window's
// say), with the time, the peak of the process and what stays resident after it.
//
// With --board CASE: one hostile input through the real board window and its real message boxes,
// each box answered with Enter once it shows, as a user would. CASE is one of
//   paste-letters   a clipboard line of "/" and 1,000,000 letters
//   paste-20mb      a clipboard line of 20 MB
//   paste-many      200,000 names of missing files on the clipboard
//   scan-links      a dropped folder whose subfolder links lead to "/" and out of it, beside a
//                   link to /dev/zero and a FIFO named as pictures
//   thumbs-links    the same drop with the thumbnail-cache rule on: a cache file inside, one
//                   outside reached through a link, and a link named Thumbs.db
//   trash-full DIR  the lists' files on a full file system mounted at DIR, all sent to the trash
//   move-readonly   a move out of a folder the process may not write (run it as a user the
//                   permissions hold for)
// Prints when each box showed, the whole time, the peak and the outcome. One case per process
// gives each its own peak.
//
// Run with QT_QPA_PLATFORM=offscreen.

#include "../tests/support/scripted_prompter.h"
#include "../tests/support/test_images.h"
#include "app/settings_file.h"
#include "board/board.h"
#include "board/ui/classify_board_dialog.h"
#include "disposal/destination_fields.h"
#include "disposal/ui/destination_dialog.h"
#include "disposal/ui/disposal_commands.h"
#include "platform/ui/qt_prompter.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "thumbs/image_loader.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace pelldrake;

namespace {

constexpr QSize kPane(200, 260);

long PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// What the process holds in memory now.
long ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6) / 1024;
    }
    return -1;
}

template <typename Done> void WaitUntil(Done done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

std::string Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const std::string path = QFile::encodeName(dir.filePath(name)).toStdString();
    testing::WriteNativeFile(path, bytes);
    return path;
}

// Shows each of first, then normal, from one pane as a user stepping on would; the time from
// the step to the normal picture in milliseconds.
double StepPast(const std::vector<std::string>& first, const std::string& normal) {
    ImageLoader loader;
    QObject pane;
    bool shown = false;
    for (const std::string& path : first)
        loader.Request(&pane, path, kPane, [](const QImage&) {});
    // The user looks for a moment, and the decodes are under way.
    WaitUntil([] { return false; }, 200);
    QElapsedTimer timer;
    timer.start();
    if (loader.Request(&pane, normal, kPane, [&shown](const QImage&) { shown = true; }))
        shown = true;
    WaitUntil([&shown] { return shown; }, 120'000);
    const double ms = timer.nsecsElapsed() / 1e6;
    WaitUntil([&loader] { return loader.pendingCount() == 0; }, 120'000);
    return ms;
}

// Answers each message box of the board with Enter once it shows, noting when it showed, when it
// was answered and how long its text was.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(const QElapsedTimer& clock) : clock_(clock) {
        connect(&poll_, &QTimer::timeout, this, [this] { Look(); });
        poll_.start(5);
    }

    struct Box {
        double shownMs;
        double answeredMs;
        qsizetype textLength;
        QString start;
    };
    std::vector<Box> boxes;

private:
    void Look() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        const double shown = clock_.nsecsElapsed() / 1e6;
        const QString text = box->text();
        QTest::keyClick(box, Qt::Key_Return);
        boxes.push_back({shown, clock_.nsecsElapsed() / 1e6, text.size(), text.left(40)});
    }

    const QElapsedTimer& clock_;
    QTimer poll_;
};

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool Exists(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

int BoardCase(const QString& name, const QString& folder) {
    QTemporaryDir dir;
    // The thumbnail-cache rule sends files to the trash: this run's own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    QDir(dir.path()).mkpath(QStringLiteral("data"));
    SettingsFile settings(dir.filePath(QStringLiteral("p.INI")));
    testing::RecordingShell shell;
    QtPrompter prompter;
    ClassifyBoardDialog window(LayoutMode::Small, settings, prompter, shell);
    prompter.setOwner(&window);
    window.show();
    QCoreApplication::processEvents();

    std::function<void()> command;
    std::function<QString()> after;
    auto write = [&](const QString& relative, const QByteArray& bytes) {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        testing::WriteNativeFile(Native(path), bytes);
        return path;
    };
    const QString picture = QString::fromStdString(
        testing::WriteImageFile(Native(dir.filePath(QStringLiteral("picture.jpg"))), QSize(64, 48), "jpeg", 1));
    const QByteArray pictureBytes = [&] {
        QFile file(picture);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    auto dropOnUnclassified = [&](const QString& folder) {
        window.DropFiles({Native(folder)}, window.mapToGlobal(window.rect().topLeft() + QPoint(5, 5)));
    };

    if (name == QLatin1String("paste-letters") || name == QLatin1String("paste-20mb") ||
        name == QLatin1String("paste-many")) {
        QByteArray text;
        if (name == QLatin1String("paste-letters"))
            text = "/" + QByteArray(1'000'000, 'x');
        else if (name == QLatin1String("paste-20mb"))
            text = "/" + QByteArray(20'000'000, 'x');
        else
            for (int i = 0; i < 200'000; ++i)
                text += "/nowhere/missing-" + QByteArray::number(i) + ".jpg\r\n";
        QGuiApplication::clipboard()->setText(QString::fromLatin1(text));
        std::printf("clipboard: %lld bytes\n", static_cast<long long>(text.size()));
        command = [&] { window.RunCommand(menu_ids::kFromClipboard); };
    } else if (name == QLatin1String("scan-links") || name == QLatin1String("thumbs-links")) {
        const bool thumbs = name == QLatin1String("thumbs-links");
        for (int i = 0; i < 3; ++i)
            write(QStringLiteral("chosen/sub/p%1.jpg").arg(i), pictureBytes);
        write(QStringLiteral("outside/x.jpg"), pictureBytes);
        ::symlink("/", Native(dir.filePath(QStringLiteral("chosen/everything"))).c_str());
        ::symlink(Native(dir.filePath(QStringLiteral("outside"))).c_str(),
                  Native(dir.filePath(QStringLiteral("chosen/out"))).c_str());
        ::symlink("/dev/zero", Native(dir.filePath(QStringLiteral("chosen/zero.jpg"))).c_str());
        ::mkfifo(Native(dir.filePath(QStringLiteral("chosen/fifo.jpg"))).c_str(), 0600);
        if (thumbs) {
            settings.WriteDeleteThumbDb(1);
            write(QStringLiteral("chosen/sub/Thumbs.db"), "cache");
            write(QStringLiteral("outside/THUMBS.DB"), "someone else's");
            write(QStringLiteral("outside/kept.db"), "kept");
            ::symlink(Native(dir.filePath(QStringLiteral("outside/kept.db"))).c_str(),
                      Native(dir.filePath(QStringLiteral("chosen/thumbs.db"))).c_str());
        }
        command = [&] { dropOnUnclassified(dir.filePath(QStringLiteral("chosen"))); };
        after = [&, thumbs] {
            QString text = QStringLiteral("outside/x.jpg %1")
                               .arg(Exists(dir.filePath(QStringLiteral("outside/x.jpg"))) ? "kept" : "GONE");
            if (thumbs) {
                text += QStringLiteral(", chosen/sub/Thumbs.db %1, outside/THUMBS.DB %2, link chosen/thumbs.db %3, "
                                       "outside/kept.db %4")
                            .arg(Exists(dir.filePath(QStringLiteral("data/Trash/files/Thumbs.db"))) ? "in the trash"
                                                                                                    : "NOT TRASHED")
                            .arg(Exists(dir.filePath(QStringLiteral("outside/THUMBS.DB"))) ? "kept" : "GONE")
                            .arg(Exists(dir.filePath(QStringLiteral("chosen/thumbs.db"))) ? "kept" : "GONE")
                            .arg(Exists(dir.filePath(QStringLiteral("outside/kept.db"))) ? "kept" : "GONE");
            }
            return text;
        };
    } else if (name == QLatin1String("trash-full") && !folder.isEmpty()) {
        // Pictures on the small file system, which a filler then leaves without a free byte.
        FilePathList files;
        for (int i = 0; i < 3; ++i)
            files.push_back(Native(folder + QStringLiteral("/pictures/p%1.jpg").arg(i)));
        QDir().mkpath(folder + QStringLiteral("/pictures"));
        for (const FilePath& file : files)
            testing::WriteNativeFile(file, pictureBytes);
        {
            QFile filler(folder + QStringLiteral("/filler"));
            filler.open(QIODevice::WriteOnly);
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        window.board().AppendAndShow(3, FilePathList(files), 0);
        command = [&] { window.RunCommand(menu_ids::kDeleteAll); };
        after = [&, files] {
            int inPlace = 0;
            for (const FilePath& file : files)
                inPlace += QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(file))) ? 1 : 0;
            QStringList infos;
            QDirIterator it(folder, {QStringLiteral("*.trashinfo")}, QDir::Files | QDir::Hidden,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QFileInfo info(it.next());
                infos << QStringLiteral("%1 (%2 bytes)").arg(info.fileName()).arg(info.size());
            }
            return QStringLiteral("%1 of %2 files in place; info files on the file system: %3")
                .arg(inPlace)
                .arg(files.size())
                .arg(infos.isEmpty() ? QStringLiteral("none") : infos.join(QStringLiteral(", ")));
        };
    } else if (name == QLatin1String("move-readonly")) {
        FilePathList files;
        for (int i = 0; i < 3; ++i)
            files.push_back(Native(write(QStringLiteral("locked/p%1.jpg").arg(i), pictureBytes)));
        QDir().mkpath(dir.filePath(QStringLiteral("to")));
        ::chmod(Native(dir.filePath(QStringLiteral("locked"))).c_str(), 0555);
        window.board().AppendAndShow(3, FilePathList(files), 0);
        command = [&] {
            QTimer::singleShot(0, &window, [&] {
                DestinationDialog& dialog = window.findChild<DisposalCommands*>()->dialog();
                qobject_cast<QComboBox*>(dialog.control(destination_ids::kFolder))
                    ->setEditText(dir.filePath(QStringLiteral("to")));
                qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
            });
            window.RunCommand(menu_ids::kMoveToFolderFirst + 3);
        };
        after = [&] {
            const int copied = QDir(dir.filePath(QStringLiteral("to"))).entryList(QDir::Files).size();
            const int kept = QDir(dir.filePath(QStringLiteral("locked"))).entryList(QDir::Files).size();
            ::chmod(Native(dir.filePath(QStringLiteral("locked"))).c_str(), 0755);
            return QStringLiteral("%1 files at the target, %2 sources kept").arg(copied).arg(kept);
        };
    } else {
        std::fprintf(stderr, "unknown case %s\n", qPrintable(name));
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    BoxAnswerer answerer(clock);
    command();
    const double ms = clock.nsecsElapsed() / 1e6;
    for (const BoxAnswerer::Box& box : answerer.boxes)
        std::printf("box shown after %.1f ms, answered after %.1f ms, %lld characters: %s\n", box.shownMs,
                    box.answeredMs, static_cast<long long>(box.textLength), qPrintable(box.start.simplified()));
    std::printf("%s: %.1f ms, %zu boxes, %d entries on the board; peak of the process %ld MiB\n", qPrintable(name), ms,
                answerer.boxes.size(), window.board().TotalCount(), PeakMiB());
    if (after)
        std::printf("%s\n", qPrintable(after()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 2 && arguments[1] == QLatin1String("--board"))
        return BoardCase(arguments[2], arguments.value(3));
    // Files named on the command line: each decoded at the pane's size or the one given, one
    // process per file gives each its own peak.
    if (arguments.size() > 1) {
        QSize size = kPane;
        for (int i = 1; i < arguments.size(); ++i) {
            if (arguments[i] == QLatin1String("--size") && i + 1 < arguments.size()) {
                const QStringList sides = arguments[++i].split(QLatin1Char('x'));
                size = QSize(sides.value(0).toInt(), sides.value(1).toInt());
                continue;
            }
            QElapsedTimer timer;
            timer.start();
            const std::string path = QFile::encodeName(arguments[i]).toStdString();
            const QImage image = ImageLoader::Decode(path, size);
            std::printf("%s at %dx%d: %dx%d in %.1f ms; peak of the process %ld MiB, resident after %ld MiB\n",
                        path.c_str(), size.width(), size.height(), image.width(), image.height(),
                        timer.nsecsElapsed() / 1e6, PeakMiB(), ResidentMiB());
        }
        return 0;
    }
    QTemporaryDir dir;
    bool ok = true;

    // Four progressive JPEGs of 2.8 KB claiming 30000 x 30000 and one baseline claiming 65000 x 65000,
    // read ahead while a fifth is shown.
    std::vector<std::string> bombs;
    for (int i = 0; i < 4; ++i)
        bombs.push_back(Write(dir, QString("bomb%1.jpg").arg(i), testing::JpegClaiming(QSize(30000, 30000), true)));
    bombs.push_back(Write(dir, "wide.jpg", testing::JpegClaiming(QSize(65000, 65000), false)));
    {
        ImageLoader loader;
        QObject pane;
        QElapsedTimer timer;
        timer.start();
        loader.ReadAhead(&pane, bombs, kPane);
        bool answered = false;
        if (loader.Request(&pane, bombs.front(), kPane, [&answered](const QImage&) { answered = true; }))
            answered = true;
        WaitUntil([&] { return answered && loader.pendingCount() == 0; }, 300'000);
        std::printf("bombs: %zu files answered in %.1f ms; peak of the process %ld MiB\n", bombs.size(),
                    timer.nsecsElapsed() / 1e6, PeakMiB());
        ok = ok && PeakMiB() < 2048;
    }

    const std::string normal =
        Write(dir, "normal.jpg", testing::EncodeImage(testing::PhotoLikeImage(QSize(1600, 1200)), "jpeg"));
    {
        // Two 30000 x 30000 PNGs: refused from their headers.
        const std::vector<std::string> huge = {Write(dir, "huge1.png", testing::BlankGreyPng(QSize(30000, 30000))),
                                               Write(dir, "huge2.png", testing::BlankGreyPng(QSize(30000, 30000)))};
        const double ms = StepPast(huge, normal);
        std::printf("two 30000x30000 PNGs, then a normal picture: shown after %.1f ms\n", ms);
        ok = ok && ms < 1000;
    }
    {
        // Two 14000 x 14000 PNGs, within the budget: their decodes take seconds and are abandoned.
        const std::vector<std::string> large = {Write(dir, "large1.png", testing::BlankGreyPng(QSize(14000, 14000))),
                                                Write(dir, "large2.png", testing::BlankGreyPng(QSize(14000, 14000)))};
        QElapsedTimer alone;
        alone.start();
        const QImage decoded = ImageLoader::Decode(large.front(), kPane);
        std::printf("one 14000x14000 PNG alone: %.1f ms (%s)\n", alone.nsecsElapsed() / 1e6,
                    decoded.isNull() ? "null" : "decoded");
        const double ms = StepPast(large, normal);
        std::printf("two 14000x14000 PNGs, then a normal picture: shown after %.1f ms\n", ms);
        ok = ok && ms < 1000;
    }
    {
        QElapsedTimer alone;
        alone.start();
        ImageLoader::Decode(normal, kPane);
        std::printf("the normal picture alone: %.1f ms\n", alone.nsecsElapsed() / 1e6);
    }
    std::printf("peak of the process at the end: %ld MiB\n", PeakMiB());
    return ok ? 0 : 1;
}
