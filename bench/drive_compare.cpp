// Measures the enlarge window comparing four pictures side by side while the user steps through
// the list at a person's pace: Enter every 300 ms, and from each key until all four cells show their
// files sharp (their own pictures, not the previews; at 100 % the pictures at their own size).
// Series: fitted and at 100 %, each with read-ahead on and off. The files: camera-like 24-megapixel
// JPEGs with a 160 x 120 EXIF thumbnail, made at run time; the entries are hard links to a few of
// them, so that each path needs its own decode. --presses N sets the presses per series (40),
// --sources N the distinct files (8).
//
// Run with QT_QPA_PLATFORM=offscreen.

#include "../tests/support/scripted_prompter.h"
#include "board/ui/classify_board_dialog.h"
#include "camera_sources.h"
#include "figures.h"
#include "resources/menu_table.h"
#include "spin.h"
#include "thumbs/image_cache.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/compare_cells.h"
#include "thumbs/ui/enlarge_view.h"
#include "thumbs/ui/enlarge_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using namespace pelldrake;

namespace {

constexpr int kCells = 4;
constexpr int kPaceMs = 300;
constexpr int kTimeoutMs = 20000;
// Entries left between series, so that read-ahead at the end of one cannot serve the next.
constexpr int kSeriesGap = 10;
// The enlarge window as a user sets it up beside the board; the offscreen screen bounds it.
const QRect kEnlargeRect(0, 0, 800, 600);

struct Series {
    const char* name;
    bool actualSize;
    bool readAhead;
};

constexpr Series kSeries[] = {
    {"fitted, read-ahead on ", false, true},
    {"fitted, read-ahead off", false, false},
    {"100 %,  read-ahead on ", true, true},
    {"100 %,  read-ahead off", true, false},
};

// Every cell shows its entry from start on, sharp.
bool AllSharp(const CompareCells& cells, const FilePathList& paths, int start, bool actualSize) {
    for (int index = 0; index < cells.cellCount(); ++index) {
        const EnlargeView* cell = cells.cell(index);
        if (cell->currentFile() != paths[static_cast<std::size_t>(start + index)])
            return false;
        if (actualSize ? !cell->showsZoomedPicture() : cell->showing() != CThumbCtl::Showing::Image)
            return false;
    }
    return true;
}

struct Result {
    std::vector<double> sharpMs;
    int overPace = 0;
    int failures = 0;
};

Result RunSeries(const Series& series, const FilePathList& paths, int start, int presses, const QString& settings) {
    Result result;
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    ClassifyBoardDialog board(LayoutMode::Small, SettingsFile(settings), prompter, shell);
    board.setReadAheadEnabled(series.readAhead);
    ClassList& unclassified = board.board().List(kUnclassified);
    for (const FilePath& path : paths)
        unclassified.Append(path);
    unclassified.UpdateControls();
    board.show();
    if (!QTest::qWaitForWindowExposed(&board)) {
        result.failures = presses;
        return result;
    }
    board.board().ResyncPane(kUnclassified, start);
    board.EnlargeCommand(kUnclassified);
    EnlargeWindow* window = board.viewer().window();
    if (!window || !QTest::qWaitForWindowExposed(window)) {
        result.failures = presses;
        return result;
    }
    board.activateWindow();
    board.RunCommand(menu_ids::kCompare);
    if (series.actualSize)
        board.RunCommand(menu_ids::kActualSize);
    const CompareCells& cells = *window->cells();
    if (cells.cellCount() != kCells ||
        !SpinUntil([&] { return AllSharp(cells, paths, start, series.actualSize); }, kTimeoutMs)) {
        std::fprintf(stderr, "the first cells never came\n");
        result.failures = presses;
        return result;
    }
    Spin(kPaceMs);
    QElapsedTimer clock;
    clock.start();
    for (int press = 1; press <= presses; ++press) {
        const qint64 pressedAt = clock.nsecsElapsed();
        QTest::keyClick(&board, Qt::Key_Return);
        if (!SpinUntil([&] { return AllSharp(cells, paths, start + press, series.actualSize); }, kTimeoutMs)) {
            std::fprintf(stderr, "press %d: the cells never all came sharp\n", press);
            ++result.failures;
            continue;
        }
        const double sharp = Ms(clock.nsecsElapsed() - pressedAt);
        result.sharpMs.push_back(sharp);
        if (sharp > kPaceMs)
            ++result.overPace;
        Spin(kPaceMs - static_cast<int>(Ms(clock.nsecsElapsed() - pressedAt)));
    }
    return result;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    int presses = 40;
    int sources = 8;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--presses")
            presses = std::max(1, std::atoi(argv[i + 1]));
        if (std::string(argv[i]) == "--sources")
            sources = std::max(1, std::atoi(argv[i + 1]));
    }
    QElapsedTimer total;
    total.start();
    QTemporaryDir dir;
    const QString dirPath = dir.path();
    QList<int> seeds;
    for (int i = 0; i < sources; ++i)
        seeds.append(i + 1);
    const QList<qint64> made = QtConcurrent::blockingMapped<QList<qint64>>(
        seeds, [dirPath](int seed) { return MakeCameraSource(dirPath, QStringLiteral("jpg"), seed); });
    if (made.contains(-1)) {
        std::fprintf(stderr, "cannot write a source image\n");
        return 2;
    }
    const int entries = static_cast<int>(std::size(kSeries)) * (presses + kCells + kSeriesGap);
    QDir(dirPath).mkdir(QStringLiteral("entries"));
    FilePathList paths;
    for (int i = 0; i < entries; ++i) {
        const std::string source =
            Native(QDir(dirPath).filePath(QStringLiteral("source%1.jpg").arg(seeds[i % sources])));
        paths.push_back(Native(QDir(dirPath).filePath(QStringLiteral("entries/%1.jpg").arg(i, 4, 10, QChar('0')))));
        if (::link(source.c_str(), paths.back().c_str()) != 0) {
            std::fprintf(stderr, "cannot link %s\n", paths.back().c_str());
            return 2;
        }
    }
    const QString settings = QDir(dirPath).filePath(QStringLiteral("settings.INI"));
    SettingsFile(settings).WriteExpandViewRect(kEnlargeRect);
    SettingsFile(settings).profile().WriteText("EXPANDVIEW", "COMPARE", std::to_string(kCells));
    std::printf("Made %d JPEGs of 6000 x 4000 with a 160 x 120 EXIF thumbnail in %.1f s; loader runs %d decodes at "
                "once\n",
                sources, Ms(total.nsecsElapsed()) / 1000, ImageLoader::Shared()->maxRunning());
    // The floor of a step whose last file was not read ahead: one decode of it, nothing else decoding.
    std::vector<double> whole;
    std::vector<double> fitted;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        ImageLoader::Decode(paths[static_cast<std::size_t>(i)], kFullSizeTarget);
        whole.push_back(Ms(timer.nsecsElapsed()));
        timer.restart();
        ImageLoader::Decode(paths[static_cast<std::size_t>(i)], kEnlargeRect.size() / 2);
        fitted.push_back(Ms(timer.nsecsElapsed()));
    }
    std::printf("One decode alone: at its own size %.1f ms, fitted to a cell %.1f ms (median of 3), load average %s\n",
                Percentile(whole, 0.5), Percentile(fitted, 0.5), LoadAverage().constData());
    std::printf("\nCompare %d-up in a %d x %d window, Enter every %d ms, %d presses a series: key -> all cells sharp\n",
                kCells, kEnlargeRect.width(), kEnlargeRect.height(), kPaceMs, presses);
    int start = 0;
    int failures = 0;
    for (const Series& series : kSeries) {
        const QByteArray loadBefore = LoadAverage();
        const double baseMiB = StatusMiB("VmRSS:");
        ResetPeakMemory();
        const Result result = RunSeries(series, paths, start, presses, settings);
        const double peakMiB = StatusMiB("VmHWM:");
        start += presses + kCells + kSeriesGap;
        failures += result.failures;
        std::printf("  %s  median %7.1f ms  p95 %7.1f ms  slowest %7.1f ms | later than the next key: %d, peak "
                    "memory +%.0f MiB over %.0f MiB, load average %s -> %s\n",
                    series.name, Percentile(result.sharpMs, 0.5), Percentile(result.sharpMs, 0.95),
                    result.sharpMs.empty() ? 0.0 : *std::max_element(result.sharpMs.begin(), result.sharpMs.end()),
                    result.overPace, peakMiB - baseMiB, baseMiB, loadBefore.constData(), LoadAverage().constData());
        std::fflush(stdout);
        // A fresh cache for the next series.
        delete ImageLoader::Shared();
    }
    std::printf("\nWhole run: %.1f s, %d presses failed\n", Ms(total.nsecsElapsed()) / 1000, failures);
    return failures != 0 ? 1 : 0;
}
