// The history around one huge step: five sorts, then a list of N entries (700,000 unless told)
// passed whole to another list, then every step taken back and done again. Gives the time the
// pass costs the user-interface thread (its processor time, the wall clock and the longest wait of
// a 5 ms timer), a digit key right after it, the memory the history holds, and each undo and redo
// with whether the lists came back exactly. The board keeps its recovery journal, as in the
// program.
//
//   drive_history [--entries N] [--budget MiB]
//
// --budget sets the memory the history may hold (64 MiB unless told): a large one keeps the pass
// in memory, for a comparison with its undo off the disk.
//
// Run with QT_QPA_PLATFORM=offscreen; the journal goes to $TMPDIR (/dev/shm when unset).

#include "../tests/support/board_picture.h"
#include "../tests/support/scripted_prompter.h"
#include "app/startup/board_recovery.h"
#include "board/moves.h"
#include "board/ui/classify_board_dialog.h"
#include "event_ping.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

using namespace pelldrake;

namespace {

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    }
    return 0;
}

FilePathList ArchivePaths(int count) {
    FilePathList paths;
    paths.reserve(static_cast<std::size_t>(count));
    char path[128];
    for (int i = 0; i < count; ++i) {
        std::snprintf(path, sizeof path, "/home/user/Pictures/archive/%02d/%03d/IMG_%07d.JPG", i % 10, (i / 10) % 100,
                      i);
        paths.emplace_back(path);
    }
    return paths;
}

// Runs one command as the window does, with its figures on one line.
RunFigures Run(const char* what, const std::function<void()>& command) {
    double cpuMs = 0;
    const RunFigures figures = Pinged([&] {
        const double start = ThreadCpuMs();
        command();
        cpuMs = ThreadCpuMs() - start;
    });
    std::printf("%-30s user-interface thread %7.1f ms cpu, %7.1f ms wall, longest event wait %6.1f ms\n", what, cpuMs,
                figures.ms, figures.longestWaitMs);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int entries = 700'000;
    long budgetMiB = 0;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--entries") == 0)
            entries = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--budget") == 0)
            budgetMiB = std::atol(argv[++i]);
    }
    const QString base = qEnvironmentVariable("TMPDIR", QStringLiteral("/dev/shm"));
    QTemporaryDir temp(base + QStringLiteral("/pelldrake-history-XXXXXX"));
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    ClassifyBoardDialog window(LayoutMode::Small, SettingsFile(temp.filePath(QStringLiteral("pelldrake.INI"))),
                               prompter, shell);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the board was never exposed\n");
    Board& board = window.board();
    BoardRecovery recovery(QFile::encodeName(temp.filePath(QStringLiteral("recovery"))).toStdString(), prompter);
    recovery.Begin(board);

    board.AppendAndShow(kUnclassified, ArchivePaths(entries), 0);
    board.history().Forget();
    if (budgetMiB > 0)
        board.history().setBudget(static_cast<std::size_t>(budgetMiB) << 20);
    std::vector<testing::BoardPicture> states{testing::PictureOf(board)};
    for (int n = 1; n <= 5; ++n) {
        window.RunCommand(ids::NumberButton(n));
        states.push_back(testing::PictureOf(board));
    }
    std::printf("%d entries, %d sorts kept for undo; resident %.0f MiB\n", entries, board.history().undoCount(),
                ResidentMiB());

    const auto passed = std::chrono::steady_clock::now();
    Run("pass the list to list 6:", [&] {
        const BoardHistory::Scope step(board.history());
        moves::MoveAllEntries(board, kUnclassified, 6);
    });
    states.push_back(testing::PictureOf(board));
    std::printf("%-30s %d steps to undo, %.1f MiB held in memory by the history\n", "", board.history().undoCount(),
                static_cast<double>(board.history().bytes()) / (1 << 20));
    Run("a key right after it:", [&] { window.RunCommand(ids::MoveOne(6)); });
    Run("its undo:", [&] { window.RunCommand(menu_ids::kUndo); });
    board.history().WaitUntilWritten();
    std::printf("%-30s %.1f MB on the disk %.0f ms after the pass began\n", "",
                static_cast<double>(board.history().diskBytes()) / 1e6,
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - passed).count());
    QTest::qWait(2000);
    std::printf("%-30s resident %.0f MiB two seconds later\n", "", ResidentMiB());

    int exact = 0;
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        const std::string what = "undo of step " + std::to_string(i) + ":";
        Run(what.c_str(), [&] { window.RunCommand(menu_ids::kUndo); });
        exact += testing::PictureOf(board) == states[i - 1] ? 1 : 0;
    }
    std::printf("%-30s %d of %zu undone with the lists exact\n", "", exact, states.size() - 1);
    const bool allUndone = exact == static_cast<int>(states.size() - 1);
    exact = 0;
    for (std::size_t i = 1; i < states.size(); ++i) {
        const std::string what = "redo of step " + std::to_string(i) + ":";
        Run(what.c_str(), [&] { window.RunCommand(menu_ids::kRedo); });
        exact += testing::PictureOf(board) == states[i] ? 1 : 0;
    }
    std::printf("%-30s %d of %zu redone with the lists exact\n", "", exact, states.size() - 1);
    std::printf("peak resident %.0f MiB\n", ResidentMiB());
    recovery.End(board);
    return allUndone ? 0 : 1;
}
