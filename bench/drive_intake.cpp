// Times a whole add-folder command on a large tree against a bare walk of the same tree.
//
// The tree holds 100 folders of 1,000 empty files; the board already holds 100,000 other entries.
// The bare walk is the least any intake must do: read every folder, stat every file, and put
// every path into a hash set. ScanFolder + AddFiles runs on the user-interface thread; without a
// progress receiver its time is the time the window does not answer. With the window's progress on
// a status line, a timer ticking every 5 ms (as a window manager's ping) shows the longest time
// the window leaves its events waiting.

#include "app/settings_file.h"
#include "bare_walk.h"
#include "board/board.h"
#include "intake/add_files.h"
#include "intake/scan_folder.h"
#include "platform/ui/status_progress.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

using namespace pelldrake;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr int kBoardEntries = 100'000;
constexpr int kRuns = 5;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool MakeTree(const std::string& root) {
    if (::mkdir(root.c_str(), 0755) != 0)
        return false;
    char name[64];
    for (int folder = 0; folder < kFolders; ++folder) {
        std::snprintf(name, sizeof name, "/event_%03d", folder);
        const std::string folderPath = root + name;
        if (::mkdir(folderPath.c_str(), 0755) != 0)
            return false;
        for (int file = 0; file < kFilesPerFolder; ++file) {
            std::snprintf(name, sizeof name, "/IMG_%03d_%04d.JPG", folder, file);
            const int fd = ::open((folderPath + name).c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd < 0)
                return false;
            ::close(fd);
        }
    }
    return true;
}

void Prefill(Board& board) {
    char path[96];
    for (int i = 0; i < kBoardEntries; ++i) {
        // Most in the unclassified list, the rest sorted into the ten others.
        const ListIndex list = i % 5 == 0 ? 1 + (i / 5) % 10 : kUnclassified;
        std::snprintf(path, sizeof path, "/home/user/Pictures/archive/2025/IMG_%06d.JPG", i);
        board.List(list).Append(path);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    // A real application object, so that the busy cursor is set and removed as in the program.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir temp;
    const std::string root = QFile::encodeName(temp.path()).toStdString() + "/tree";
    if (!temp.isValid() || !MakeTree(root)) {
        std::fprintf(stderr, "cannot create the test tree under %s\n", qPrintable(temp.path()));
        return 1;
    }
    // No settings file: filter off, no cache deletion, as after installation.
    const SettingsFile settings(temp.filePath("pelldrake.INI"));

    {
        std::unordered_set<std::string> warm;
        BareWalk(root, warm); // brings the folders and inodes into the cache
    }

    std::vector<double> bare;
    std::vector<double> scan;
    std::vector<double> add;
    std::vector<double> total;
    int added = 0;
    for (int run = 0; run < kRuns; ++run) {
        {
            const auto start = Clock::now();
            std::unordered_set<std::string> seen;
            BareWalk(root, seen);
            bare.push_back(Milliseconds(Clock::now() - start));
            if (seen.size() != static_cast<std::size_t>(kFolders * kFilesPerFolder))
                std::fprintf(stderr, "bare walk saw %zu files\n", seen.size());
        }
        {
            Board board;
            Prefill(board);
            const auto start = Clock::now();
            FilePathList candidates;
            ScanFolder(candidates, root, true);
            const auto scanned = Clock::now();
            added = AddFiles(board, settings, false, std::move(candidates), kUnclassified, false);
            const auto end = Clock::now();
            scan.push_back(Milliseconds(scanned - start));
            add.push_back(Milliseconds(end - scanned));
            total.push_back(Milliseconds(end - start));
        }
    }

    const double bareMs = Median(bare);
    const double totalMs = Median(total);
    std::printf("tree: %d folders x %d files = %d files; board already holding %d entries; median of %d runs\n",
                kFolders, kFilesPerFolder, kFolders * kFilesPerFolder, kBoardEntries, kRuns);
    std::printf("%-48s %8.1f ms\n", "bare walk (readdir + stat + hash set insert):", bareMs);
    std::printf("%-48s %8.1f ms\n", "ScanFolder:", Median(scan));
    std::printf("%-48s %8.1f ms (%d files added)\n", "AddFiles:", Median(add), added);
    std::printf("%-48s %8.1f ms\n", "ScanFolder + AddFiles:", totalMs);
    std::printf("%-48s %8.2f (target at most 1.50)\n", "ratio to the bare walk:", totalMs / bareMs);
    std::printf("%-48s %8.1f ms (target under 500 ms)\n", "GUI thread busy for the add-folder command:", totalMs);

    std::vector<double> gaps;
    std::vector<double> withProgress;
    for (int run = 0; run < kRuns; ++run) {
        QLabel statusLine;
        statusLine.resize(600, 20);
        statusLine.show();
        StatusProgress progress(&statusLine);
        Clock::time_point last = Clock::now();
        double longest = 0;
        QTimer ping;
        ping.setTimerType(Qt::PreciseTimer);
        ping.setInterval(5);
        QObject::connect(&ping, &QTimer::timeout, [&last, &longest] {
            const auto now = Clock::now();
            longest = std::max(longest, Milliseconds(now - last));
            last = now;
        });
        ping.start();
        QCoreApplication::processEvents();
        Board board;
        Prefill(board);
        const auto start = Clock::now();
        last = start;
        FilePathList candidates;
        ScanFolder(candidates, root, true, &progress);
        AddFiles(board, settings, false, std::move(candidates), kUnclassified, false, kNativePathCase, &progress);
        progress.Finish();
        const auto end = Clock::now();
        gaps.push_back(std::max(longest, Milliseconds(end - last)));
        withProgress.push_back(Milliseconds(end - start));
        ping.stop();
    }
    std::printf("%-48s %8.1f ms\n", "ScanFolder + AddFiles, progress on a status line:", Median(withProgress));
    std::printf("%-48s %8.1f ms (median of %d runs, worst %.1f ms; target at most 100 ms)\n",
                "longest the window's events wait:", Median(gaps), kRuns, *std::max_element(gaps.begin(), gaps.end()));
    return 0;
}
