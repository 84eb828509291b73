// Measures the enlarge window at 100 %, as a photographer checks focus through a burst: Z on a file
// (fitted -> 100 %), and Z again on a picture already in memory; stepping with a digit key at a
// person's pace (300 ms) while at 100 %, with the peak memory of those steps over the memory
// before them; a digit held down at auto-repeat while at 100 % and the sharp 100 % view after the
// release; panning (Ctrl+arrow on the board) and wheel zoom of a decoded picture, a frame each.
// Each is set beside one decode of the same kind of file at its own size with nothing else
// running.
//
// --format jpg (6000 x 4000 camera JPEGs with an EXIF thumbnail, the default) or heic
// (4243 x 2828 with a thumbnail picture); --presses N per series (100).
//
// Run with QT_QPA_PLATFORM=offscreen.

#include "../tests/support/scripted_prompter.h"
#include "board/ui/classify_board_dialog.h"
#include "camera_sources.h"
#include "figures.h"
#include "spin.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/enlarge_view.h"
#include "thumbs/ui/enlarge_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QtConcurrent>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

using namespace pelldrake;

namespace {

constexpr int kSources = 12;
constexpr int kEntries = 600;
constexpr int kTimeoutMs = 20000;
constexpr int kPaceMs = 300;
constexpr int kRepeatMs = 33;
constexpr int kPressesPerHold = 10;
int presses = 100;
const QRect kEnlargeRect(0, 0, 800, 600);
constexpr Qt::Key kDigitKeys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5,
                                  Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_0};

void PrintSeries(const char* what, const std::vector<double>& values) {
    std::printf("  %-62s median %7.1f ms  p95 %7.1f ms  most %7.1f ms  (%zu)\n", what, Median(values),
                Percentile(values, 0.95), values.empty() ? 0.0 : *std::max_element(values.begin(), values.end()),
                values.size());
}

struct Session {
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    std::unique_ptr<ClassifyBoardDialog> board;
    EnlargeView* view = nullptr;
    int next = 0; // the entry the unclassified list shows

    bool ZoomedOn(int entry, const FilePathList& paths) const {
        return view->currentFile() == paths[static_cast<std::size_t>(entry)] && view->showsZoomedPicture();
    }
    // The time from pressedAt until the 100 % picture of the shown entry has been painted.
    double UntilZoomedPainted(const FilePathList& paths, const QElapsedTimer& clock, qint64 pressedAt) {
        if (!SpinUntil([&] { return ZoomedOn(next, paths); }, kTimeoutMs)) {
            std::fprintf(stderr, "entry %d was never shown at 100 %%\n", next);
            return -1;
        }
        view->repaint();
        return Ms(clock.nsecsElapsed() - pressedAt);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(board.get(), key, modifiers);
    }
    void Sort(int press) {
        Key(kDigitKeys[press % 10]);
        ++next;
    }
};

bool Open(Session& session, const FilePathList& paths, const QString& settingsPath) {
    session.board = std::make_unique<ClassifyBoardDialog>(LayoutMode::Small, SettingsFile(settingsPath),
                                                          session.prompter, session.shell);
    ClassList& unclassified = session.board->board().List(kUnclassified);
    for (const FilePath& path : paths)
        unclassified.Append(path);
    unclassified.UpdateControls();
    session.board->show();
    if (!QTest::qWaitForWindowExposed(session.board.get()))
        return false;
    session.board->board().ResyncPane(kUnclassified, 0);
    session.board->EnlargeCommand(kUnclassified);
    EnlargeWindow* window = session.board->viewer().window();
    if (!window || !QTest::qWaitForWindowExposed(window))
        return false;
    session.board->activateWindow();
    session.view = window->view();
    window->SetFile(paths.front());
    return SpinUntil([&] { return session.view->showing() == CThumbCtl::Showing::Image; }, kTimeoutMs);
}

double OneFullDecodeMs(const FilePath& path) {
    std::vector<double> alone;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (ImageLoader::Decode(path, kFullSizeTarget).isNull())
            return -1;
        alone.push_back(Ms(timer.nsecsElapsed()));
    }
    return Median(alone);
}

// Z from fitted on a file never decoded at its own size, then Z, Z again once it is in memory; a
// step at fit between files.
void RunToggles(Session& session, const FilePathList& paths, std::vector<double>& cold, std::vector<double>& warm) {
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 10; ++i) {
        SpinUntil([] { return ImageLoader::Shared()->pendingCount() == 0; }, kTimeoutMs);
        qint64 pressedAt = clock.nsecsElapsed();
        session.Key(Qt::Key_Z);
        cold.push_back(session.UntilZoomedPainted(paths, clock, pressedAt));
        session.Key(Qt::Key_Z);
        pressedAt = clock.nsecsElapsed();
        session.Key(Qt::Key_Z);
        warm.push_back(session.UntilZoomedPainted(paths, clock, pressedAt));
        session.Key(Qt::Key_Z);
        session.Sort(i);
        Spin(kPaceMs);
    }
}

// Digit keys at a person's pace while at 100 %: key -> the next file's 100 % view painted.
std::vector<double> RunPaced(Session& session, const FilePathList& paths) {
    std::vector<double> result;
    QElapsedTimer clock;
    clock.start();
    session.Key(Qt::Key_Z);
    session.UntilZoomedPainted(paths, clock, 0);
    for (int press = 0; press < presses; ++press) {
        Spin(kPaceMs);
        const qint64 pressedAt = clock.nsecsElapsed();
        session.Sort(press);
        result.push_back(session.UntilZoomedPainted(paths, clock, pressedAt));
    }
    return result;
}

struct Held {
    std::vector<double> firstPictureMs; // auto-repeat press -> some picture of the file in the window
    std::vector<double> sharpAfterReleaseMs;
    std::vector<double> sharpPerDecode;
};

// A digit held down while at 100 %: presses at the keyboard's rate, then the release.
Held RunHeld(Session& session, const FilePathList& paths, double fullDecodeMs) {
    Held result;
    QElapsedTimer clock;
    clock.start();
    for (int hold = 0; hold * kPressesPerHold < presses; ++hold) {
        SpinUntil([] { return ImageLoader::Shared()->pendingCount() == 0; }, kTimeoutMs);
        Spin(kPaceMs);
        const Qt::Key key = kDigitKeys[hold % 10];
        for (int i = 0; i < kPressesPerHold; ++i) {
            const bool repeat = i > 0;
            const qint64 pressedAt = clock.nsecsElapsed();
            if (repeat)
                QTest::simulateEvent(session.board.get(), false, key, Qt::NoModifier, QString(), true);
            QTest::simulateEvent(session.board.get(), true, key, Qt::NoModifier, QString(), repeat);
            ++session.next;
            const FilePath& shown = paths[static_cast<std::size_t>(session.next)];
            const bool pictured = SpinUntil(
                [&] {
                    return session.view->currentFile() == shown &&
                           session.view->showing() != CThumbCtl::Showing::Nothing;
                },
                kTimeoutMs);
            if (repeat && pictured)
                result.firstPictureMs.push_back(Ms(clock.nsecsElapsed() - pressedAt));
            Spin(kRepeatMs - static_cast<int>(Ms(clock.nsecsElapsed() - pressedAt)));
        }
        const qint64 releasedAt = clock.nsecsElapsed();
        QTest::simulateEvent(session.board.get(), false, key, Qt::NoModifier, QString(), false);
        const double sharp = session.UntilZoomedPainted(paths, clock, releasedAt);
        result.sharpAfterReleaseMs.push_back(sharp);
        result.sharpPerDecode.push_back(sharp / fullDecodeMs);
    }
    return result;
}

// Ctrl+arrows and the wheel over a decoded picture: each a frame, the change and its paint.
void RunFrames(Session& session, std::vector<double>& pan, std::vector<double>& wheel) {
    const Qt::Key arrows[] = {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up};
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer timer;
        timer.start();
        session.Key(arrows[i / 5 % 4], Qt::ControlModifier);
        session.view->repaint();
        pan.push_back(Ms(timer.nsecsElapsed()));
    }
    const QPointF centre = QRectF(session.view->contentsRect()).center();
    const QPointF global = session.view->mapToGlobal(centre);
    // 100 % -> 200 % -> 400 % -> 200 % -> 100 % -> 50 % -> 25 % -> 50 % -> 100 %, twice over.
    const int steps[] = {1, 1, -1, -1, -1, -1, 1, 1};
    for (int round = 0; round < 4; ++round)
        for (int step : steps) {
            QElapsedTimer timer;
            timer.start();
            QWheelEvent event(centre, global, QPoint(), QPoint(0, 120 * step), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(session.view, &event);
            session.view->repaint();
            wheel.push_back(Ms(timer.nsecsElapsed()));
        }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString format = QStringLiteral("jpg");
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option = argv[i];
        if (option == "--format")
            format = QString::fromLatin1(argv[i + 1]);
        else if (option == "--presses")
            presses = std::max(kPressesPerHold, std::atoi(argv[i + 1]));
    }
    if (format != "jpg" && format != "heic") {
        std::fprintf(stderr, "--format takes jpg or heic\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString dirPath = dir.path();
    QList<int> seeds;
    for (int i = 0; i < kSources; ++i)
        seeds.append(i + 1);
    const QList<qint64> sizes = QtConcurrent::blockingMapped<QList<qint64>>(
        seeds, [dirPath, format](int seed) { return MakeCameraSource(dirPath, format, seed); });
    if (!dir.isValid() || sizes.contains(-1)) {
        std::fprintf(stderr, "cannot write the source pictures (heif-enc: scripts/setup.sh)\n");
        return 2;
    }
    // Entries are hard links: each path needs its own decode while the disk holds little.
    QDir(dirPath).mkdir(QStringLiteral("entries"));
    FilePathList paths;
    for (int i = 0; i < kEntries; ++i) {
        const std::string source =
            Native(QDir(dirPath).filePath(QStringLiteral("source%1.%2").arg(i % kSources + 1).arg(format)));
        paths.push_back(
            Native(QDir(dirPath).filePath(QStringLiteral("entries/%1.%2").arg(i, 4, 10, QChar('0')).arg(format))));
        if (::link(source.c_str(), paths.back().c_str()) != 0) {
            std::fprintf(stderr, "cannot link %s\n", paths.back().c_str());
            return 2;
        }
    }
    const double fullDecodeMs = OneFullDecodeMs(paths.back());
    const QSize stored = ImageLoader::Decode(paths.back(), kFullSizeTarget).size();
    std::printf("%d %s files of %d x %d; one decode at its own size, nothing else running: %.1f ms; load %s\n",
                kSources, qPrintable(format.toUpper()), stored.width(), stored.height(), fullDecodeMs,
                LoadAverage().constData());

    const QString settingsPath = QDir(dirPath).filePath(QStringLiteral("settings.INI"));
    SettingsFile(settingsPath).WriteExpandViewRect(kEnlargeRect);
    Session session;
    if (!Open(session, paths, settingsPath)) {
        std::fprintf(stderr, "the board or the enlarge window never came up\n");
        return 2;
    }
    std::vector<double> cold;
    std::vector<double> warm;
    RunToggles(session, paths, cold, warm);
    std::printf("\nZ on the shown file, the enlarge window %d x %d:\n", session.view->width(), session.view->height());
    PrintSeries("fitted -> 100 % painted, file not in memory", cold);
    PrintSeries("fitted -> 100 % painted, its picture in memory", warm);

    SpinUntil([] { return ImageLoader::Shared()->pendingCount() == 0; }, kTimeoutMs);
    const double baseMiB = StatusMiB("VmRSS:");
    ResetPeakMemory();
    const std::vector<double> paced = RunPaced(session, paths);
    const double peakMiB = StatusMiB("VmHWM:");
    std::printf("\nA digit key every %d ms at 100 %%, the next file read ahead:\n", kPaceMs);
    PrintSeries("key -> next file at 100 % painted", paced);
    std::printf("  memory: %.0f MiB before, peak %.0f MiB over %d files (+%.0f MiB); loader cache %.0f of %.0f MiB\n",
                baseMiB, peakMiB, presses, peakMiB - baseMiB, ImageLoader::Shared()->cacheBytes() / 1048576.0,
                ImageLoader::Shared()->cacheBudget() / 1048576.0);

    std::vector<double> pan;
    std::vector<double> wheel;
    RunFrames(session, pan, wheel);
    std::printf("\nFrames of a decoded picture:\n");
    PrintSeries("Ctrl+arrow -> panned and painted", pan);
    PrintSeries("wheel step (25 % ... 400 %) -> painted", wheel);

    const Held held = RunHeld(session, paths, fullDecodeMs);
    std::printf("\nA digit held down at 100 %%, %d presses %d ms apart, then released:\n", kPressesPerHold, kRepeatMs);
    PrintSeries("auto-repeat press -> a picture of the file in the window", held.firstPictureMs);
    PrintSeries("release -> 100 % painted", held.sharpAfterReleaseMs);
    std::printf("  release -> 100 %% over one decode alone: median %.2f  p95 %.2f\n", Median(held.sharpPerDecode),
                Percentile(held.sharpPerDecode, 0.95));
    std::printf("\nload average at the end %s\n", LoadAverage().constData());
    return 0;
}
