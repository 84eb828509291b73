// Measures the board at archive scale: the cost of a digit key and of Backspace on the
// user-interface thread, clearing the board, and peak memory, at a given number of entries.
//
//   drive_scale [--entries N] [--presses N]
//
// Entries are spread over 10 x 100 folders with names as cameras write them. The key figures are
// the processor time of the user-interface thread per key (the wall clock would count other
// programs); each is given as median / p95 / max. Run with QT_QPA_PLATFORM=offscreen.

#include "../tests/support/scripted_prompter.h"
#include "board/ui/classify_board_dialog.h"
#include "resources/menu_table.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <vector>

using namespace pelldrake;

namespace {

int entries = 1'000'000;
int presses = 300;

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5)];
}

qint64 ThreadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

double PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

FilePathList ArchivePaths(int count) {
    FilePathList paths;
    paths.reserve(static_cast<std::size_t>(count));
    char path[128];
    for (int i = 0; i < count; ++i) {
        std::snprintf(path, sizeof path, "/dev/shm/pelldrake-archive/%02d/%03d/IMG_%07d.JPG", i % 10, (i / 10) % 100,
                      i);
        paths.emplace_back(path);
    }
    return paths;
}

void Report(const char* what, const std::vector<double>& ms) {
    std::printf("%-40s median %7.3f  p95 %7.3f  max %7.3f ms (%zu)\n", what, Percentile(ms, 0.5), Percentile(ms, 0.95),
                ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()), ms.size());
}

std::vector<double> TimeKeys(ClassifyBoardDialog& board, Qt::Key key, int count) {
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const qint64 start = ThreadCpuNs();
        QTest::keyClick(&board, key);
        ms.push_back(static_cast<double>(ThreadCpuNs() - start) / 1e6);
        QCoreApplication::processEvents();
    }
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--entries") == 0)
            entries = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--presses") == 0)
            presses = std::atoi(argv[++i]);
    }
    QTemporaryDir temp;
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    ClassifyBoardDialog board(LayoutMode::Small, SettingsFile(temp.filePath(QStringLiteral("pelldrake.INI"))), prompter,
                              shell);
    const double baseMiB = PeakResidentMiB();
    {
        const auto start = std::chrono::steady_clock::now();
        board.board().AppendAndShow(kUnclassified, ArchivePaths(entries), 0);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%d entries; filled in %.0f ms; peak resident %.0f MiB (%.0f bytes an entry)\n", entries, ms,
                    PeakResidentMiB(), (PeakResidentMiB() - baseMiB) * 1024 * 1024 / entries);
    }
    board.show();
    if (!QTest::qWaitForWindowExposed(&board))
        std::fprintf(stderr, "the board was never exposed\n");
    board.activateWindow();
    // Start in the middle of the list, where a shift of the entries costs most.
    board.board().ResyncPane(kUnclassified, entries / 2);

    // One list, so that every Backspace after them has an entry to bring back.
    Report("digit key (user-interface thread):", TimeKeys(board, Qt::Key_1, presses));
    Report("Backspace (user-interface thread):", TimeKeys(board, Qt::Key_Backspace, presses));
    Report("Enter (user-interface thread):", TimeKeys(board, Qt::Key_Return, presses));

    {
        const auto start = std::chrono::steady_clock::now();
        board.RunCommand(menu_ids::kClearAll);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-40s %7.1f ms (unclassified left: %d)\n", "clear the board:", ms,
                    board.board().List(kUnclassified).Count());
    }
    std::printf("peak resident %.0f MiB\n", PeakResidentMiB());
    return 0;
}
