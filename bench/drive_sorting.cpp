// Measures sorting on the real board window as a user does it: a digit key moves the current
// file of the unclassified list away, and the time counts until the next file is painted in the
// unclassified pane: its first picture (the embedded preview when there is one) and its sharp
// picture. The files are camera-like: 24-megapixel JPEGs carrying a 160 x 120 EXIF thumbnail.
// Series: a relaxed and a hurried pace, each with previews, without previews, and without reading
// ahead. Also the time the key press itself takes on the user-interface thread.
// Then a digit held down with the enlarge window open: the first press and auto-repeat presses
// 33 ms apart, as a keyboard sends them, and the release; from each press until the first picture
// in the pane and in the window, and from the release until the sharp pictures of the file the
// user stopped on. --held-only runs only that.
//
// --format phone runs them over copies of the phone's HEIC in tests/data (a grid of tiles).
// --format heic or --format jxl runs the same series over 12-megapixel files made from those
// JPEGs: HEIC with a 320-pixel thumbnail picture, as phones write them (heif-enc), or JPEG XL
// recompressed from a 12-megapixel camera JPEG with its 160 x 120 EXIF thumbnail, as cjxl makes it
// by default. --presses N sets the presses per series (100), --sources N the distinct files (20).
//
// Run with QT_QPA_PLATFORM=offscreen.

#include "../tests/support/scripted_prompter.h"
#include "board/ui/classify_board_dialog.h"
#include "camera_sources.h"
#include "figures.h"
#include "spin.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/enlarge_window.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtConcurrent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

using namespace pelldrake;

namespace {

int sourceFiles = 20;
constexpr int kEntries = 2000;
int pressesPerSeries = 100;
// Entries left between series, so that read-ahead at the end of one cannot serve the next.
constexpr int kSeriesGap = 20;
constexpr int kPaintTimeoutMs = 10000;

struct Series {
    const char* name;
    int paceMs;
    bool readAhead;
    bool previews;
};

constexpr Series kSeries[] = {
    {"pace 300 ms, read-ahead on,  previews on ", 300, true, true},
    {"pace 300 ms, read-ahead on,  previews off", 300, true, false},
    {"pace 300 ms, read-ahead off, previews on ", 300, false, true},
    {"pace  33 ms, read-ahead on,  previews on ", 33, true, true},
    {"pace  33 ms, read-ahead on,  previews off", 33, true, false},
    {"pace  33 ms, read-ahead off, previews on ", 33, false, true},
};

constexpr Qt::Key kDigitKeys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5,
                                  Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_0};

// Time this thread spent on a processor: unlike the wall clock, it does not grow while other
// programs have the processors.
qint64 ThreadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// Counts the paints of a pane that show a given file's picture.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(CThumbCtl* pane) : pane_(pane) { pane_->installEventFilter(this); }
    ~PaintWatch() override {
        if (pane_)
            pane_->removeEventFilter(this);
    }

    FilePath expected;
    int paints = 0;
    const QElapsedTimer* clock = nullptr;
    qint64 firstPictureAt = -1; // the first paint of expected showing any picture of it
    qint64 firstSharpAt = -1;   // the first paint of expected showing its own picture
    qint64 lastPaintCpuNs = 0;  // of the last forced paint, which paints every changed part of the board

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != pane_ || event->type() != QEvent::Paint || pane_->currentFile() != expected)
            return false;
        if (pane_->showing() == CThumbCtl::Showing::Image) {
            ++paints;
            if (firstSharpAt < 0 && clock != nullptr)
                firstSharpAt = clock->nsecsElapsed();
        }
        if (firstPictureAt < 0 && clock != nullptr &&
            (pane_->showing() == CThumbCtl::Showing::Image || pane_->showing() == CThumbCtl::Showing::Preview)) {
            // Painted within this event; the paint itself costs well under a millisecond.
            firstPictureAt = clock->nsecsElapsed();
        }
        return false;
    }

private:
    QPointer<CThumbCtl> pane_;
};

// Waits until the pane holds path's picture, then paints it at once. The elapsed time of clock
// when the paint has finished, or -1 on a time-out or when no paint of that picture happened.
qint64 WaitPainted(CThumbCtl* pane, PaintWatch& watch, const FilePath& path, const QElapsedTimer& clock) {
    const auto ready = [pane, &path] {
        return pane->currentFile() == path && pane->showing() == CThumbCtl::Showing::Image;
    };
    watch.expected = path;
    const int paintsBefore = watch.paints;
    if (!ready()) {
        QEventLoop loop;
        QObject::connect(pane, &CThumbCtl::imageShown, &loop, [&loop, &ready] {
            if (ready())
                loop.quit();
        });
        QTimer::singleShot(kPaintTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        if (!ready())
            return -1;
    }
    const qint64 cpuBefore = ThreadCpuNs();
    pane->repaint();
    const qint64 paintedAt = clock.nsecsElapsed();
    watch.lastPaintCpuNs = ThreadCpuNs() - cpuBefore;
    return watch.paints > paintsBefore ? paintedAt : -1;
}

struct SeriesResult {
    std::vector<double> toPaintMs;
    std::vector<double> toFirstPictureMs;
    int previewsFirst = 0; // presses whose first picture was the preview
    std::vector<double> keyMs;
    std::vector<double> keyCpuMs;
    std::vector<double> paintCpuMs;
    int shownAtOnce = 0; // already in the pane when the key press returned
    int overPace = 0;    // painted later than the next press was due
    int failures = 0;
    int cachedAfter = 0; // pictures the loader holds at the end of the series, smaller copies included
};

// The board over all the entries, shown and active, with the unclassified pane at start. Null
// when the window never came up.
std::unique_ptr<ClassifyBoardDialog> OpenBoard(const FilePathList& paths, int start, const QString& settingsPath,
                                               bool readAhead, Prompter& prompter, Shell& shell) {
    auto board = std::make_unique<ClassifyBoardDialog>(LayoutMode::Small, SettingsFile(settingsPath), prompter, shell);
    board->setReadAheadEnabled(readAhead);
    ClassList& unclassified = board->board().List(kUnclassified);
    unclassified.Reserve(static_cast<int>(paths.size()));
    for (const FilePath& path : paths)
        unclassified.Append(path);
    unclassified.UpdateControls();
    board->show();
    if (!QTest::qWaitForWindowExposed(board.get())) {
        std::fprintf(stderr, "the board was never exposed\n");
        return nullptr;
    }
    // Sized only now that the window is laid out, so the pane decodes at its real size.
    board->board().ResyncPane(kUnclassified, start);
    // The keys go straight to the board, so an inactive window only changes how it looks.
    board->activateWindow();
    if (!QTest::qWaitForWindowActive(board.get()))
        std::fprintf(stderr, "the board never became the active window\n");
    return board;
}

SeriesResult RunSeries(const Series& series, const FilePathList& paths, int start, const QString& settingsPath) {
    SeriesResult result;
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    ImageLoader::Shared()->setPreviewsEnabled(series.previews);
    auto board = OpenBoard(paths, start, settingsPath, series.readAhead, prompter, shell);
    if (!board) {
        result.failures = pressesPerSeries;
        return result;
    }
    ClassList& unclassified = board->board().List(kUnclassified);

    CThumbCtl* pane = board->thumbnail(kUnclassified);
    PaintWatch watch(pane);
    QElapsedTimer clock;
    clock.start();
    watch.clock = &clock;
    if (WaitPainted(pane, watch, paths[static_cast<std::size_t>(start)], clock) < 0) {
        std::fprintf(stderr, "the first file was never painted\n");
        result.failures = pressesPerSeries;
        return result;
    }
    Spin(series.paceMs);

    for (int press = 0; press < pressesPerSeries; ++press) {
        const FilePath next = paths[static_cast<std::size_t>(start + press + 1)];
        watch.expected = next;
        watch.firstPictureAt = -1;
        bool previewSeen = false;
        const QMetaObject::Connection previewWatch =
            QObject::connect(pane, &CThumbCtl::previewShown, [&previewSeen] { previewSeen = true; });
        const qint64 cpuBefore = ThreadCpuNs();
        const qint64 pressedAt = clock.nsecsElapsed();
        QTest::keyClick(board.get(), kDigitKeys[press % 10]);
        const qint64 returnedAt = clock.nsecsElapsed();
        result.keyMs.push_back(Ms(returnedAt - pressedAt));
        result.keyCpuMs.push_back(Ms(ThreadCpuNs() - cpuBefore));

        const bool moved = unclassified.position() == start && unclassified.HasCurrent() &&
                           unclassified.At(unclassified.position()) == next;
        if (!moved) {
            std::fprintf(stderr, "press %d: the board did not move on to the next entry\n", press);
            ++result.failures;
            break;
        }
        if (pane->currentFile() == next && pane->showing() == CThumbCtl::Showing::Image)
            ++result.shownAtOnce;
        const qint64 paintedAt = WaitPainted(pane, watch, next, clock);
        QObject::disconnect(previewWatch);
        if (paintedAt < 0) {
            std::fprintf(stderr, "press %d: %s was never painted\n", press, next.c_str());
            ++result.failures;
            continue;
        }
        result.paintCpuMs.push_back(Ms(watch.lastPaintCpuNs));
        const double toPaint = Ms(paintedAt - pressedAt);
        result.toPaintMs.push_back(toPaint);
        result.toFirstPictureMs.push_back(watch.firstPictureAt >= 0 ? Ms(watch.firstPictureAt - pressedAt) : toPaint);
        if (previewSeen)
            ++result.previewsFirst;
        if (toPaint > series.paceMs)
            ++result.overPace;
        // A user looks at the picture before sorting it: the next press comes at the pace, but
        // never before the picture is there.
        Spin(series.paceMs - static_cast<int>(Ms(clock.nsecsElapsed() - pressedAt)));
    }
    result.cachedAfter = ImageLoader::Shared()->cacheCount();
    board.reset();
    // A fresh cache for the next series: the panes of the next board ask for the shared loader
    // anew.
    delete ImageLoader::Shared();
    return result;
}

// A held key: the first press, then auto-repeat presses at the keyboard's rate, then the release.
constexpr int kPressesPerHold = 10;
constexpr int kRepeatMs = 33;
// After the sharp pictures of a release, before the next key goes down (and the loader is idle).
constexpr int kLookMs = 300;
// The enlarge window as a user sets it up beside the board; the offscreen screen bounds it.
const QRect kEnlargeRect(0, 0, 800, 600);

struct HeldResult {
    // Key -> first picture in the unclassified pane and in the enlarge window, of the auto-repeat
    // presses and of the first press of each hold, which is an ordinary one.
    std::vector<double> paneFirstMs;
    std::vector<double> enlargeFirstMs;
    std::vector<double> paneFirstOfHoldMs;
    std::vector<double> enlargeFirstOfHoldMs;
    std::vector<double> paneSharpMs;    // release -> sharp picture in the pane
    std::vector<double> enlargeSharpMs; // release -> sharp picture in the enlarge window
    std::vector<double> aloneMs;        // one decode of the same file to the window's size, loader idle
    std::vector<double> sharpPerDecode; // enlargeSharpMs over aloneMs, release by release
    int repeats = 0;                    // auto-repeat presses
    int sharpWhileHeld = 0;             // auto-repeat presses whose file was painted sharp before the next one
    int lateFirst = 0;                  // first pictures painted after the next press was due
    int failures = 0;
};

bool SharpShown(const CThumbCtl* pane, const FilePath& path) {
    return pane->currentFile() == path && pane->showing() == CThumbCtl::Showing::Image;
}

HeldResult RunHeldSeries(const FilePathList& paths, int start, const QString& settingsPath) {
    HeldResult result;
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    ImageLoader::Shared()->setPreviewsEnabled(true);
    SettingsFile(settingsPath).WriteExpandViewRect(kEnlargeRect);
    auto board = OpenBoard(paths, start, settingsPath, /*readAhead=*/true, prompter, shell);
    if (!board) {
        result.failures = pressesPerSeries;
        return result;
    }
    board->EnlargeCommand(kUnclassified);
    EnlargeWindow* enlarge = board->viewer().window();
    if (!enlarge || !QTest::qWaitForWindowExposed(enlarge)) {
        std::fprintf(stderr, "the enlarge window was never exposed\n");
        result.failures = pressesPerSeries;
        return result;
    }
    board->activateWindow();
    ClassList& unclassified = board->board().List(kUnclassified);
    CThumbCtl* pane = board->thumbnail(kUnclassified);
    CThumbCtl* large = enlarge->thumbnail();
    // The window is laid out now: the file it opened with is asked for again at its real size.
    enlarge->SetFile(paths[static_cast<std::size_t>(start)]);
    if (!SpinUntil(
            [&] {
                return SharpShown(pane, paths[static_cast<std::size_t>(start)]) &&
                       SharpShown(large, paths[static_cast<std::size_t>(start)]);
            },
            kPaintTimeoutMs)) {
        std::fprintf(stderr, "the first file was never shown sharp\n");
        result.failures = pressesPerSeries;
        return result;
    }
    PaintWatch paneWatch(pane);
    PaintWatch largeWatch(large);
    QElapsedTimer clock;
    clock.start();
    paneWatch.clock = &clock;
    largeWatch.clock = &clock;
    const auto firstMs = [](const PaintWatch& watch, qint64 since) {
        return watch.firstPictureAt >= 0 ? Ms(watch.firstPictureAt - since) : -1.0;
    };

    int pressed = 0;
    for (int hold = 0; pressed < pressesPerSeries; ++hold) {
        const Qt::Key key = kDigitKeys[hold % 10];
        // What the release may cost at most, under the machine's load of the moment: one decode of
        // the file the user will stop on, with the loader idle. Taken before the key goes down, so
        // that the hold itself runs as it would.
        if (!SpinUntil([] { return ImageLoader::Shared()->pendingCount() == 0; }, kPaintTimeoutMs))
            std::fprintf(stderr, "hold %d: the loader never went idle\n", hold);
        const int lastPress = std::min(pressed + kPressesPerHold, pressesPerSeries);
        const qint64 decodeFrom = clock.nsecsElapsed();
        ImageLoader::Decode(paths[static_cast<std::size_t>(start + lastPress)], large->decodeSize());
        const double aloneMs = Ms(clock.nsecsElapsed() - decodeFrom);
        FilePath next;
        for (int i = 0; i < kPressesPerHold && pressed < pressesPerSeries; ++i, ++pressed) {
            next = paths[static_cast<std::size_t>(start + pressed + 1)];
            for (PaintWatch* watch : {&paneWatch, &largeWatch}) {
                watch->expected = next;
                watch->firstPictureAt = -1;
                watch->firstSharpAt = -1;
            }
            const bool repeat = i > 0;
            const qint64 pressedAt = clock.nsecsElapsed();
            // A held key repeats as the window system sends it: a release and a press, both marked.
            if (repeat)
                QTest::simulateEvent(board.get(), false, key, Qt::NoModifier, QString(), true);
            QTest::simulateEvent(board.get(), true, key, Qt::NoModifier, QString(), repeat);
            if (unclassified.position() != start || unclassified.At(unclassified.position()) != next) {
                std::fprintf(stderr, "press %d: the board did not move on to the next entry\n", pressed);
                ++result.failures;
                return result;
            }
            // The first pictures, but the next press comes when the keyboard sends it.
            const bool both = SpinUntil([&] { return paneWatch.firstPictureAt >= 0 && largeWatch.firstPictureAt >= 0; },
                                        kPaintTimeoutMs);
            if (!both) {
                std::fprintf(stderr, "press %d: %s never showed a picture\n", pressed, next.c_str());
                ++result.failures;
                continue;
            }
            const double paneMs = firstMs(paneWatch, pressedAt);
            const double largeMs = firstMs(largeWatch, pressedAt);
            (repeat ? result.paneFirstMs : result.paneFirstOfHoldMs).push_back(paneMs);
            (repeat ? result.enlargeFirstMs : result.enlargeFirstOfHoldMs).push_back(largeMs);
            if (std::max(paneMs, largeMs) > kRepeatMs)
                ++result.lateFirst;
            Spin(kRepeatMs - static_cast<int>(Ms(clock.nsecsElapsed() - pressedAt)));
            if (repeat) {
                ++result.repeats;
                if (paneWatch.firstSharpAt >= 0 || largeWatch.firstSharpAt >= 0)
                    ++result.sharpWhileHeld;
            }
        }
        // The release: the sharp pictures of the file the user stopped on.
        const qint64 releasedAt = clock.nsecsElapsed();
        QTest::simulateEvent(board.get(), false, key, Qt::NoModifier, QString(), false);
        const bool sharp =
            SpinUntil([&] { return paneWatch.firstSharpAt >= 0 && largeWatch.firstSharpAt >= 0; }, kPaintTimeoutMs);
        if (!sharp) {
            std::fprintf(stderr, "hold %d: %s was never shown sharp after the release\n", hold, next.c_str());
            ++result.failures;
            continue;
        }
        // Painted sharp while still held (from the cache) counts as at once.
        result.paneSharpMs.push_back(std::max(0.0, Ms(paneWatch.firstSharpAt - releasedAt)));
        result.enlargeSharpMs.push_back(std::max(0.0, Ms(largeWatch.firstSharpAt - releasedAt)));
        result.aloneMs.push_back(aloneMs);
        result.sharpPerDecode.push_back(result.enlargeSharpMs.back() / aloneMs);
        Spin(kLookMs);
    }
    board.reset();
    delete ImageLoader::Shared();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QElapsedTimer total;
    total.start();
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 2;
    }

    QString format = QStringLiteral("jpg");
    bool heldOnly = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray option = argv[i];
        if (option == "--held-only") {
            heldOnly = true;
            continue;
        }
        if (i + 1 >= argc)
            break;
        const char* value = argv[++i];
        if (option == "--format")
            format = QString::fromLatin1(value);
        else if (option == "--presses")
            pressesPerSeries = std::max(1, std::atoi(value));
        else if (option == "--sources")
            sourceFiles = std::max(1, std::atoi(value));
    }
    if (format != "jpg" && format != "heic" && format != "jxl" && format != "phone") {
        std::fprintf(stderr, "--format takes jpg, heic, jxl or phone\n");
        return 2;
    }
    const QString extension = format == "phone" ? QStringLiteral("heic") : format;

    // Distinct photograph-like 24-megapixel JPEGs, made in parallel; the entries are hard links
    // to them, so the disk holds little while each path still needs its own decode.
    QList<int> seeds;
    for (int i = 0; i < sourceFiles; ++i)
        seeds.append(i + 1);
    const QString dirPath = dir.path();
    const QList<qint64> sizes = QtConcurrent::blockingMapped<QList<qint64>>(
        seeds, [dirPath, format](int seed) -> qint64 { return MakeCameraSource(dirPath, format, seed); });
    qint64 sourceBytes = 0;
    for (qint64 size : sizes) {
        if (size < 0) {
            std::fprintf(stderr, "cannot write a source image (heif-enc and cjxl: scripts/setup.sh)\n");
            return 2;
        }
        sourceBytes += size;
    }
    if (format == "phone")
        std::printf("Copied the phone's HEIC (2566 x 3313, 512 x 512 tiles, a P3 profile, no thumbnail) %d times\n",
                    sourceFiles);
    else if (format == "jpg")
        std::printf("Made %d baseline JPEGs of 6000 x 4000, quality 92, with a 160 x 120 EXIF thumbnail (%.1f MB each "
                    "on average) in %.1f s\n",
                    sourceFiles, static_cast<double>(sourceBytes) / sourceFiles / 1e6, Ms(total.nsecsElapsed()) / 1000);
    else
        std::printf("Made %d %s files of 4243 x 2828 from 6000 x 4000 JPEGs%s (%.1f MB each on average) in %.1f s\n",
                    sourceFiles, qPrintable(format.toUpper()),
                    format == "heic" ? ", with a 320 x 213 thumbnail picture"
                                     : ", the JPEG recompressed with its 160 x 120 EXIF thumbnail",
                    static_cast<double>(sourceBytes) / sourceFiles / 1e6, Ms(total.nsecsElapsed()) / 1000);

    QDir(dirPath).mkdir(QStringLiteral("entries"));
    FilePathList paths;
    paths.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        const std::string source =
            Native(QDir(dirPath).filePath(QStringLiteral("source%1.%2").arg(seeds[i % sourceFiles]).arg(extension)));
        paths.push_back(
            Native(QDir(dirPath).filePath(QStringLiteral("entries/%1.%2").arg(i, 4, 10, QChar('0')).arg(extension))));
        if (::link(source.c_str(), paths.back().c_str()) != 0) {
            std::fprintf(stderr, "cannot link %s\n", paths.back().c_str());
            return 2;
        }
    }
    const QString settingsPath = QDir(dirPath).filePath(QStringLiteral("settings.INI"));

    SettingsFile(settingsPath).WriteExpandViewRect(kEnlargeRect);
    {
        testing::ScriptedPrompter prompter;
        testing::RecordingShell shell;
        ClassifyBoardDialog probe(LayoutMode::Small, SettingsFile(settingsPath), prompter, shell);
        probe.show();
        if (!QTest::qWaitForWindowExposed(&probe)) {
            std::fprintf(stderr, "the board was never exposed\n");
            return 2;
        }
        const QSize unclassifiedSize = probe.thumbnail(kUnclassified)->decodeSize();
        const QSize classSize = probe.thumbnail(1)->decodeSize();
        std::printf("Collapsed board: list 5's pane %s, decodes to %d x %d\n",
                    probe.thumbnail(5)->isVisibleTo(&probe) ? "visible" : "hidden",
                    probe.thumbnail(5)->decodeSize().width(), probe.thumbnail(5)->decodeSize().height());
        std::printf("Panes decode to %d x %d (unclassified) and %d x %d (list 1); loader runs %d decodes at once\n",
                    unclassifiedSize.width(), unclassifiedSize.height(), classSize.width(), classSize.height(),
                    ImageLoader::Shared()->maxRunning());
        // The floor for any press whose file is not decoded yet.
        std::vector<double> alone;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer timer;
            timer.start();
            if (ImageLoader::Decode(paths[static_cast<std::size_t>(kEntries - 1 - i)], unclassifiedSize).isNull()) {
                std::fprintf(stderr, "a test image cannot be decoded\n");
                return 2;
            }
            alone.push_back(Ms(timer.nsecsElapsed()));
        }
        std::printf("One decode to the unclassified pane's size, nothing else decoding: %.1f ms\n", Median(alone));

        probe.EnlargeCommand(kUnclassified);
        if (!QTest::qWaitForWindowExposed(probe.viewer().window())) {
            std::fprintf(stderr, "the enlarge window was never exposed\n");
            return 2;
        }
        const QSize enlargeSize = probe.viewer().window()->thumbnail()->decodeSize();
        std::vector<double> aloneLarge;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer timer;
            timer.start();
            ImageLoader::Decode(paths[static_cast<std::size_t>(kEntries - 1 - i)], enlargeSize);
            aloneLarge.push_back(Ms(timer.nsecsElapsed()));
        }
        std::printf("One decode to the enlarge window's size, %d x %d, nothing else decoding: %.1f ms\n",
                    enlargeSize.width(), enlargeSize.height(), Median(aloneLarge));
    }

    std::printf("\n%d key presses per series, from the press until the next file is painted:\n", pressesPerSeries);
    std::vector<double> allKeyMs;
    std::vector<double> allKeyCpuMs;
    int start = 0;
    int failures = 0;
    for (const Series& series : kSeries) {
        if (heldOnly)
            break;
        const QByteArray loadBefore = LoadAverage();
        const SeriesResult result = RunSeries(series, paths, start, settingsPath);
        start += pressesPerSeries + kSeriesGap;
        failures += result.failures;
        allKeyMs.insert(allKeyMs.end(), result.keyMs.begin(), result.keyMs.end());
        allKeyCpuMs.insert(allKeyCpuMs.end(), result.keyCpuMs.begin(), result.keyCpuMs.end());
        std::printf("  %s  first picture median %6.1f ms p95 %6.1f ms | sharp picture median %6.1f ms p95 %6.1f ms\n",
                    series.name, Median(result.toFirstPictureMs), Percentile(result.toFirstPictureMs, 0.95),
                    Median(result.toPaintMs), Percentile(result.toPaintMs, 0.95));
        std::printf("      the preview came first in %d of %zu presses\n", result.previewsFirst,
                    result.toPaintMs.size());
        std::printf("      shown when the key press returned: %d, painted after the next press was due: %d, "
                    "pictures in the cache: %d, key press median %.3f ms p95 %.3f ms, processor time of the paint "
                    "median %.2f ms, "
                    "load average %s -> %s\n",
                    result.shownAtOnce, result.overPace, result.cachedAfter, Median(result.keyMs),
                    Percentile(result.keyMs, 0.95), Median(result.paintCpuMs), loadBefore.constData(),
                    LoadAverage().constData());
        std::fflush(stdout);
    }

    {
        const QByteArray loadBefore = LoadAverage();
        const HeldResult held = RunHeldSeries(paths, start, settingsPath);
        start += pressesPerSeries + kSeriesGap;
        failures += held.failures;
        std::printf("\nA digit held down, %d presses at a time %d ms apart (the first, then auto-repeat), then "
                    "released; the enlarge window shows the unclassified list:\n",
                    kPressesPerHold, kRepeatMs);
        std::printf("  key -> first picture, auto-repeat presses: pane median %6.1f ms p95 %6.1f ms | enlarge window "
                    "median %6.1f ms p95 %6.1f ms\n",
                    Median(held.paneFirstMs), Percentile(held.paneFirstMs, 0.95), Median(held.enlargeFirstMs),
                    Percentile(held.enlargeFirstMs, 0.95));
        std::printf("  key -> first picture, first press of a hold: pane median %6.1f ms p95 %6.1f ms | enlarge window "
                    "median %6.1f ms p95 %6.1f ms\n",
                    Median(held.paneFirstOfHoldMs), Percentile(held.paneFirstOfHoldMs, 0.95),
                    Median(held.enlargeFirstOfHoldMs), Percentile(held.enlargeFirstOfHoldMs, 0.95));
        std::printf("  release -> sharp picture: pane median %6.1f ms p95 %6.1f ms | enlarge window median %6.1f ms "
                    "p95 %6.1f ms (%zu releases)\n",
                    Median(held.paneSharpMs), Percentile(held.paneSharpMs, 0.95), Median(held.enlargeSharpMs),
                    Percentile(held.enlargeSharpMs, 0.95), held.paneSharpMs.size());
        std::printf(
            "  one decode of the same file to the window's size, loader idle, before the hold: median %6.1f ms; "
            "release -> sharp picture in the window over it: median %.2f p95 %.2f\n",
            Median(held.aloneMs), Median(held.sharpPerDecode), Percentile(held.sharpPerDecode, 0.95));
        std::printf("      sharp while held: %d of %d auto-repeat presses, first picture after the next press was "
                    "due: %d, load average %s -> %s\n",
                    held.sharpWhileHeld, held.repeats, held.lateFirst, loadBefore.constData(),
                    LoadAverage().constData());
    }

    const double keyMedian = Median(allKeyMs);
    std::printf("\nKey press handling on the user-interface thread (QTest::keyClick, %zu presses):\n", allKeyMs.size());
    std::printf("  median %.3f ms  p95 %.3f ms  slowest %.3f ms  %s\n", keyMedian, Percentile(allKeyMs, 0.95),
                allKeyMs.empty() ? 0.0 : *std::max_element(allKeyMs.begin(), allKeyMs.end()),
                keyMedian < 1.0 ? "(median under 1 ms: ok)" : "(median 1 ms or more: MISSED)");
    std::printf("  processor time of the same: median %.3f ms  p95 %.3f ms  most %.3f ms\n", Median(allKeyCpuMs),
                Percentile(allKeyCpuMs, 0.95),
                allKeyCpuMs.empty() ? 0.0 : *std::max_element(allKeyCpuMs.begin(), allKeyCpuMs.end()));
    std::printf("\nWhole run: %.1f s, %d presses failed\n", Ms(total.nsecsElapsed()) / 1000, failures);
    return failures != 0 || keyMedian >= 1.0 ? 1 : 0;
}
