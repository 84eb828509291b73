// Measures the board at archive scale: the cost of a digit key and of Backspace on the
// user-interface thread, clearing the board, and peak memory, at a given number of entries.
// With --tree it also makes that many empty files (each its own inode) in 10 x 100 folders under
// $TMPDIR, /dev/shm when unset, and times the long runs over them against bare baselines: adding
// the folder (and undoing and redoing that), the bulk classification, saving and loading the work
// state, and passing a list to another. A timer ticking every 5 ms, as a window manager's ping,
// gives the longest time each run leaves the window's events waiting. The board keeps its recovery
// journal meanwhile, as in the program.
//
//   drive_scale [--entries N] [--presses N] [--tree]
//
// Entries are spread over 10 x 100 folders with names as cameras write them. The key figures are
// the processor time of the user-interface thread per key (the wall clock would count other
// programs); each is given as median / p95 / max. Run with QT_QPA_PLATFORM=offscreen.

#include "../tests/support/scripted_prompter.h"
#include "app/startup/board_recovery.h"
#include "bare_walk.h"
#include "board/moves.h"
#include "board/ui/classify_board_dialog.h"
#include "event_ping.h"
#include "intake/add_files.h"
#include "intake/scan_folder.h"
#include "platform/ui/status_progress.h"
#include "platform/ui/stoppable_progress.h"
#include "platform/worker_run.h"
#include "resources/menu_table.h"
#include "state/ui/work_state_menu.h"
#include "state/work_state_writer.h"
#include "tools/auto_classify.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

using namespace pelldrake;

namespace {

int entries = 1'000'000;
int presses = 300;
bool tree = false;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

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

// The memory one run takes at its peak, counted from what the process holds when it starts: the
// kernel's high-water mark is reset for it, and what earlier runs freed is given back first.
class RunMemory {
public:
    RunMemory() {
        ::malloc_trim(0);
        if (FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", refs);
            std::fclose(refs);
        }
        startKiB_ = StatusKiB("VmRSS:");
    }
    // Bytes a file at the peak, and the same beyond the bytes of the file's path.
    void Print(const char* what, const Board& board) const {
        const double peakKiB = StatusKiB("VmHWM:");
        std::size_t pathBytes = 0;
        for (ListIndex list = 0; list < kListCount; ++list) {
            for (const FilePath& path : board.List(list).Entries())
                pathBytes += path.size() + 1;
        }
        const double files = std::max(board.TotalCount(), 1);
        const double perFile = (peakKiB - startKiB_) * 1024 / files;
        std::printf("%-34s %8d entries, peak %.0f MiB: %.0f bytes a file, %.0f beyond its path\n", what,
                    board.TotalCount(), (peakKiB - startKiB_) / 1024, perFile,
                    perFile - static_cast<double>(pathBytes) / files);
    }

private:
    static double StatusKiB(const char* field) {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith(field))
                return line.mid(static_cast<qsizetype>(std::strlen(field))).trimmed().split(' ').first().toDouble();
        }
        return 0;
    }

    double startKiB_ = 0;
};

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

double Timed(const std::function<void()>& run) {
    const auto start = Clock::now();
    run();
    return Milliseconds(Clock::now() - start);
}

bool MakeTree(const std::string& root, int count) {
    char name[96];
    if (::mkdir(root.c_str(), 0755) != 0)
        return false;
    for (int i = 0; i < count; ++i) {
        if (i < 1000) {
            std::snprintf(name, sizeof name, "%s/%02d", root.c_str(), i % 10);
            ::mkdir(name, 0755);
            std::snprintf(name, sizeof name, "%s/%02d/%03d", root.c_str(), i % 10, (i / 10) % 100);
            ::mkdir(name, 0755);
        }
        std::snprintf(name, sizeof name, "%s/%02d/%03d/IMG_%07d.JPG", root.c_str(), i % 10, (i / 10) % 100, i);
        const int fd = ::open(name, O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

void PrintRow(const char* what, const RunFigures& run, double bareMs) {
    std::printf("%-34s %8.0f ms  %5.2f x bare (%6.0f ms)  longest event wait %6.1f ms\n", what, run.ms,
                bareMs > 0 ? run.ms / bareMs : 0.0, bareMs, run.longestWaitMs);
}

// The long runs over real files, each as its command runs it.
void RunTree(ClassifyBoardDialog& window) {
    const QString base = qEnvironmentVariable("TMPDIR", QStringLiteral("/dev/shm"));
    QTemporaryDir temp(base + QStringLiteral("/pelldrake-scale-XXXXXX"));
    const std::string root = QFile::encodeName(temp.path()).toStdString() + "/tree";
    const double makeMs = Timed([&] { MakeTree(root, entries); });
    std::printf("\ntree of %d files under %s made in %.0f ms\n", entries, qPrintable(temp.path()), makeMs);
    Board& board = window.board();
    board.history().Forget();
    // Every change goes to the recovery journal, as in the program.
    testing::ScriptedPrompter quiet;
    BoardRecovery recovery(QFile::encodeName(temp.filePath(QStringLiteral("recovery"))).toStdString(), quiet);
    recovery.Begin(board);
    const auto endRecovery = qScopeGuard([&] { recovery.End(board); });
    const SettingsFile settings(temp.filePath(QStringLiteral("pelldrake.INI")));
    QLabel statusLine;
    StatusProgress status(&statusLine);
    {
        std::unordered_set<std::string> warm;
        BareWalk(root, warm);
    }

    double bareWalkMs = 0;
    {
        std::unordered_set<std::string> seen;
        bareWalkMs = Timed([&] { BareWalk(root, seen); });
    }
    const RunMemory addMemory;
    const RunFigures add = Pinged([&] {
        const RunLock::Scope running(board.runLock());
        const BoardHistory::Scope step(board.history());
        StoppableProgress progress(&status, &window);
        board.CloseGaps();
        std::optional<EntryBatch> added;
        const int first = board.List(kUnclassified).Count();
        RunOffThread(&progress, [&](ProgressSink& relay) {
            FilePathList candidates;
            if (ScanFolder(candidates, root, true, &relay))
                added = ExamineCandidates(board, settings, false, std::move(candidates), false, kNativePathCase, &relay,
                                          {root});
            if (added)
                board.history().PrepareRun(*added, kUnclassified, first);
        });
        if (added)
            board.AppendAndShow(kUnclassified, std::move(*added));
        progress.Finish();
    });
    PrintRow("add folder with subfolders:", add, bareWalkMs);
    addMemory.Print("", board);
    // Taken back and done again, as after a folder added by mistake.
    const RunFigures undo = Pinged([&] { window.RunCommand(menu_ids::kUndo); });
    PrintRow("undo of the intake:", undo, 0);
    const RunFigures redo = Pinged([&] { window.RunCommand(menu_ids::kRedo); });
    PrintRow("redo of it:", redo, 0);
    if (board.TotalCount() != entries)
        std::printf("%-34s %8d entries after the redo, not %d\n", "", board.TotalCount(), entries);

    const FilePathList& all = board.List(kUnclassified).Entries();
    const double bareStatMs = Timed([&] {
        struct stat info;
        for (const FilePath& path : all)
            ::stat(path.c_str(), &info);
    });
    ClassifyConditions conditions = ClassifyConditions::StartingAt(QDateTime::currentDateTime());
    conditions.targetMode = ClassifyConditions::kToChosen;
    conditions.targetChoice = 3;
    conditions.nameFilterOn = true;
    conditions.nameFilter = "*5.JPG";
    int taken = 0;
    const RunFigures classify = Pinged([&] {
        const RunLock::Scope running(board.runLock());
        const BoardHistory::Scope step(board.history());
        const auto lists = ListsToScan(board);
        ClassifyOutcome outcome;
        StoppableProgress progress(&status, &window);
        RunOffThread(&progress, [&](ProgressSink& relay) {
            outcome = FindMatches(lists, conditions, NativeCodePage(), &relay);
            PrepareJournal(board, conditions, outcome);
        });
        progress.Finish();
        taken = ApplyMatches(board, conditions, std::move(outcome));
    });
    PrintRow("bulk classification:", classify, bareStatMs);
    std::printf("%-34s %8d entries taken\n", "", taken);

    const FilePath saved = QFile::encodeName(temp.filePath(QStringLiteral("scale.PLD"))).toStdString();
    SaveResult result = SaveResult::WriteFailed;
    const RunFigures save = Pinged([&] {
        const RunLock::Scope running(board.runLock());
        const WorkStateContent content = WorkStateContent::Of(board);
        RunOffThread(nullptr, [&](ProgressSink&) { result = WriteWorkStateFile(content, saved); });
    });
    PrintRow("work-state save:", save, 0);
    std::printf("%-34s %8.1f MB%s\n", "",
                static_cast<double>(QFileInfo(temp.filePath(QStringLiteral("scale.PLD"))).size()) / 1e6,
                result == SaveResult::Saved ? "" : " NOT SAVED");

    const double bareReadMs = Timed([&] {
        QFile file(QString::fromStdString(saved));
        if (!file.open(QIODevice::ReadOnly))
            return;
        struct stat info;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            ::stat(line.constData(), &info);
        }
    });
    // Loaded into an empty board, as at the start of a session. The board is cleared by one step,
    // as by the program's command, so the journal hears of it (and takes its snapshot) first.
    {
        const BoardHistory::Scope step(board.history());
        moves::ClearAll(board);
    }
    board.history().Forget();
    QTest::qWait(200); // the history frees on a thread of its own
    const RunMemory loadMemory;
    const RunFigures load = Pinged([&] {
        const BoardHistory::Scope step(board.history());
        LoadWorkStateFileWithProgress(window.commandContext(), saved);
    });
    PrintRow("work-state load:", load, bareReadMs);
    loadMemory.Print("", board);
    // The unclassified list passed whole to another list, by its button or a disposal.
    const RunFigures moveAll = Pinged([&] {
        const BoardHistory::Scope step(board.history());
        moves::MoveAllEntries(board, kUnclassified, 5);
    });
    PrintRow("move a list to another:", moveAll, 0);
    std::printf("%-34s %8d entries moved\n", "", board.List(5).Count());
    const RunFigures clear = Pinged([&] { window.RunCommand(menu_ids::kClearAll); });
    PrintRow("clear the board:", clear, 0);
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
    tree =
        std::find_if(argv + 1, argv + argc, [](const char* a) { return std::strcmp(a, "--tree") == 0; }) != argv + argc;
    QTemporaryDir temp;
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    ClassifyBoardDialog board(LayoutMode::Small, SettingsFile(temp.filePath(QStringLiteral("pelldrake.INI"))), prompter,
                              shell);
    if (tree) {
        board.show();
        RunTree(board);
        return 0;
    }
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
