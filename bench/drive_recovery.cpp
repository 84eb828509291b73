// Crash recovery and undo, measured and tried.
//
// 1. The cost of recovery on a key press: 5,000 sorts on a board of 100,000 entries with the
//    journal on and off (time on the user-interface thread per key, median and p95).
// 2. The memory the history holds after 100,000 sorts.
// 3. Reading the recovery files back after 100,000 sorts on a board of 1,000,000 entries.
// 4. The undo of a move of 1,000 files on one file system, beside mv moving them back.
// 5. Kill runs: a child process (about a key each half millisecond) sorts, clears, excludes,
//    undoes and redoes, takes files in, runs a bulk classification, moves a list into a folder
//    and loads a work state, with the real journal, and is killed with SIGKILL at a random
//    moment. The lists read back from its recovery files must be those after the last command it
//    finished, or after the one it was in; a second child, never killed, runs the same session to
//    say what those were.
//
// Arguments: kill runs (default 40), then the folder to work in (default $TMPDIR or /dev/shm).
// With --print FOLDER it prints the lists that the recovery files in FOLDER hold, and changes
// nothing: for a look at what a killed program left.

#include "board/board.h"
#include "board/moves.h"
#include "disposal/copy_or_move_files.h"
#include "disposal/disposal_undo.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "state/recovery_files.h"
#include "state/recovery_journal.h"
#include "state/work_state_reader.h"
#include "state/work_state_writer.h"
#include "tools/auto_classify.h"
#include "tools/classify_conditions.h"
#include "yes_prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelldrake;

namespace {

using Clock = std::chrono::steady_clock;

double Micro(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

std::size_t ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoul(line.substr(6));
    }
    return 0;
}

FilePathList Paths(int count) {
    FilePathList paths;
    paths.reserve(static_cast<std::size_t>(count));
    char path[96];
    for (int i = 0; i < count; ++i) {
        std::snprintf(path, sizeof path, "/home/user/Pictures/archive/2025/IMG_%06d.JPG", i);
        paths.emplace_back(path);
    }
    return paths;
}

void KeyPressCost(const FilePath& work) {
    constexpr int kEntries = 100000;
    constexpr int kKeys = 5000;
    std::printf("key press on a board of %d entries, %d sorts (microseconds on the UI thread)\n", kEntries, kKeys);
    for (const bool recovery : {false, true}) {
        Board board;
        board.AppendAndShow(kUnclassified, Paths(kEntries), kEntries / 2);
        board.history().Forget();
        std::unique_ptr<RecoveryFiles> files;
        std::unique_ptr<RecoveryJournal> journal;
        if (recovery) {
            files = RecoveryFiles::Claim(work + "/keys");
            journal = RecoveryJournal::Start(*files, board, 1);
            board.history().setJournal(journal.get());
        }
        std::vector<double> times;
        for (int key = 0; key < kKeys; ++key) {
            const auto start = Clock::now();
            {
                const BoardHistory::Scope step(board.history());
                moves::MoveCurrentToList(board, 1 + key % 10);
            }
            times.push_back(Micro(Clock::now() - start));
        }
        std::sort(times.begin(), times.end());
        std::printf("  recovery %-3s median %7.2f  p95 %7.2f  max %8.2f\n", recovery ? "on" : "off",
                    times[times.size() / 2], times[times.size() * 95 / 100], times.back());
        if (journal) {
            board.history().setJournal(nullptr);
            journal->Finish();
        }
    }
}

void HistoryMemory() {
    constexpr int kSorts = 100000;
    Board board;
    board.AppendAndShow(kUnclassified, Paths(kSorts));
    board.history().Forget();
    const std::size_t before = ResidentKilobytes();
    for (int i = 0; i < kSorts; ++i) {
        const BoardHistory::Scope step(board.history());
        moves::MoveCurrentToList(board, 1 + i % 10);
    }
    std::printf("history after %d sorts: %d steps, %.1f MiB counted, resident memory +%.1f MiB\n", kSorts,
                board.history().undoCount(), static_cast<double>(board.history().bytes()) / (1 << 20),
                static_cast<double>(ResidentKilobytes() - before) / 1024);
}

// What a crash costs at the next start: reading back a session of sorting on a long list.
void ReadingBack(const FilePath& work) {
    constexpr int kEntries = 1'000'000;
    constexpr int kKeys = 100'000;
    Board board;
    board.AppendAndShow(kUnclassified, Paths(kEntries));
    board.history().Forget();
    const auto files = RecoveryFiles::Claim(work + "/reading");
    auto journal = RecoveryJournal::Start(*files, board, 1);
    journal->setLeastBeforeSnapshot(std::size_t{1} << 40); // every key stays in the journal
    board.history().setJournal(journal.get());
    for (int key = 0; key < kKeys; ++key) {
        const BoardHistory::Scope step(board.history());
        moves::MoveCurrentToList(board, 1 + key % 10);
    }
    board.history().SyncJournal();
    const auto start = Clock::now();
    const RecoveryReading reading = ReadRecovery(*files);
    std::printf("reading back %d entries and %d sorts after them: %.0f ms (%d entries)\n", kEntries, kKeys,
                Micro(Clock::now() - start) / 1000, reading.board.TotalCount());
    board.history().setJournal(nullptr);
    journal->Finish();
}

void UndoOfAMove(const FilePath& work) {
    constexpr int kFiles = 1000;
    const QString from = QString::fromStdString(work + "/undo/from");
    const QString to = QString::fromStdString(work + "/undo/to");
    QDir().mkpath(from);
    QDir().mkpath(to);
    Board board;
    for (int i = 0; i < kFiles; ++i) {
        const FilePath path = (from + QStringLiteral("/IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'))).toStdString();
        std::ofstream(path) << std::string(100000, 'x');
        board.List(3).Append(path);
    }
    PosixFileSystem disk;
    YesPrompter prompter;
    DisposalRecord record;
    DisposalContext context{disk, prompter, nullptr, &record};
    CopyOrMoveFiles(board, context, 3, to.toStdString(), false);
    DisposalUndo undo(disk, prompter, record);
    auto start = Clock::now();
    undo.Undo({});
    const double undoMs = Micro(Clock::now() - start) / 1000;
    undo.Redo({});
    start = Clock::now();
    const int moved = std::system(("cd '" + to.toStdString() + "' && mv -t '" + from.toStdString() + "' -- *").c_str());
    const double mvMs = Micro(Clock::now() - start) / 1000;
    std::printf("undo of a move of %d files: %.1f ms; mv of them back: %.1f ms (%s); ratio %.2f\n", kFiles, undoMs,
                mvMs, moved == 0 ? "ok" : "failed", undoMs / mvMs);
    QDir(QString::fromStdString(work + "/undo")).removeRecursively();
}

// The same every time for a seed: the files, the work-state file, the session.
struct Fixture {
    FilePath root;
    FilePathList pictures;
    FilePath workState;
    FilePath out;

    explicit Fixture(const FilePath& folder) : root(folder) {
        QDir(QString::fromStdString(root)).removeRecursively();
        QDir().mkpath(QString::fromStdString(root + "/pictures"));
        QDir().mkpath(QString::fromStdString(root + "/out"));
        for (int i = 0; i < 200; ++i) {
            pictures.push_back(root + "/pictures/P" + std::to_string(1000 + i) + (i % 3 ? ".jpg" : ".png"));
            std::ofstream(pictures.back()) << std::string(static_cast<std::size_t>(100 + i * 37), 'p');
        }
        Board saved;
        for (int i = 0; i < 60; ++i)
            saved.List(i % 4).Append(pictures[static_cast<std::size_t>(i * 3)]);
        workState = root + "/work.PLD";
        WriteWorkStateFile(saved, workState);
        out = root + "/out";
    }
};

std::uint64_t Digest(const std::array<FilePathList, kListCount>& lists, const BoardMarks& marks) {
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](std::string_view text) {
        for (char c : text) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
        hash ^= 0xFF;
        hash *= 1099511628211ull;
    };
    for (std::size_t list = 0; list < lists.size(); ++list) {
        mix(std::to_string(list) + ":" + std::to_string(marks.positions[list]));
        for (const FilePath& path : lists[list])
            mix(path);
    }
    mix(std::to_string(marks.lastTouched));
    return hash;
}

std::uint64_t Digest(const Board& board) {
    std::array<FilePathList, kListCount> lists;
    for (ListIndex list = 0; list < kListCount; ++list)
        lists[static_cast<std::size_t>(list)] = board.List(list).Entries();
    return Digest(lists, board.Marks());
}

// One session of commands; after each, its digest goes to the pipe.
[[noreturn]] void Session(const Fixture& fixture, unsigned seed, int out) {
    const auto files = RecoveryFiles::Claim(fixture.root + "/state");
    Board board;
    auto journal = RecoveryJournal::Start(*files, board, 1);
    journal->setLeastBeforeSnapshot(16384); // many snapshots in a short session
    board.history().setJournal(journal.get());
    PosixFileSystem disk;
    YesPrompter prompter;
    std::mt19937 random(seed);
    std::size_t taken = 0;
    for (int command = 0; command < 400; ++command) {
        {
            const BoardHistory::Scope step(board.history());
            const ListIndex n = 1 + static_cast<int>(random() % 10);
            const unsigned kind = random() % 20;
            if (kind < 8) {
                moves::MoveCurrentToList(board, n);
            } else if (kind < 10) {
                if (board.lastTouchedList() != kUnclassified)
                    moves::ReturnCurrentToUnclassified(board, board.lastTouchedList());
            } else if (kind == 10) {
                moves::StepUnclassified(board);
            } else if (kind == 11) {
                moves::ExcludeCurrent(board, false);
            } else if (kind == 12) {
                board.history().Undo();
            } else if (kind == 13) {
                board.history().Redo();
            } else if (kind == 14 && taken < fixture.pictures.size()) {
                const std::size_t count = std::min<std::size_t>(15, fixture.pictures.size() - taken);
                board.AppendAndShow(kUnclassified,
                                    FilePathList(fixture.pictures.begin() + static_cast<long>(taken),
                                                 fixture.pictures.begin() + static_cast<long>(taken + count)));
                taken += count;
            } else if (kind == 15) {
                ClassifyConditions conditions;
                conditions.targetMode = ClassifyConditions::kToChosen;
                conditions.targetChoice = n;
                conditions.nameFilterOn = true;
                conditions.nameFilter = "*.png";
                RunAutoClassify(board, conditions);
            } else if (kind == 16 && random() % 3 == 0) {
                DisposalRecord record;
                DisposalContext context{disk, prompter, nullptr, &record};
                CopyOrMoveFiles(board, context, n, fixture.out, random() % 2 == 0);
                board.history().AttachFiles(std::make_shared<DisposalUndo>(disk, prompter, std::move(record)));
            } else if (kind == 17 && random() % 4 == 0) {
                ReadWorkStateFile(board, fixture.workState, {});
            } else if (kind == 18 && random() % 4 == 0) {
                moves::ClearList(board, n);
            } else {
                moves::MoveAllEntries(board, n, kUnclassified);
            }
        }
        const std::uint64_t digest = Digest(board);
        if (::write(out, &digest, sizeof digest) != sizeof digest)
            std::_Exit(2);
        ::usleep(500); // keys come one after another, not all at once
    }
    std::_Exit(0);
}

// The digests a session reports, from a child that is killed after delayMs (never when negative).
std::vector<std::uint64_t> RunChild(const Fixture& fixture, unsigned seed, int delayMs) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        Session(fixture, seed, pipeEnds[1]);
    }
    ::close(pipeEnds[1]);
    if (delayMs >= 0) {
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        ::kill(child, SIGKILL);
    }
    std::vector<std::uint64_t> digests;
    std::uint64_t digest = 0;
    while (::read(pipeEnds[0], &digest, sizeof digest) == sizeof digest)
        digests.push_back(digest);
    ::close(pipeEnds[0]);
    ::waitpid(child, nullptr, 0);
    return digests;
}

int KillRuns(const FilePath& work, int runs) {
    std::mt19937 random(2026);
    int good = 0;
    int beforeLast = 0;
    int notStarted = 0;
    std::printf("kill runs: a session of 400 commands, SIGKILL after a random 1 … 300 ms\n");
    for (int run = 1; run <= runs; ++run) {
        const unsigned seed = 100 + static_cast<unsigned>(run);
        std::vector<std::uint64_t> reference;
        {
            const Fixture fixture(work + "/session");
            reference = RunChild(fixture, seed, -1);
        }
        const Fixture fixture(work + "/session");
        const int delay = 1 + static_cast<int>(random() % 300);
        const std::vector<std::uint64_t> reported = RunChild(fixture, seed, delay);
        const auto files = RecoveryFiles::Claim(fixture.root + "/state");
        const RecoveryReading reading = ReadRecovery(*files);
        const std::uint64_t recovered = Digest(reading.board.Lists(), reading.board.marks);
        const std::size_t done = reported.size();
        const std::uint64_t empty = Digest({}, {});
        const bool atLast = done > 0 ? recovered == reported.back() : recovered == empty;
        const bool oneAhead = done < reference.size() && recovered == reference[done];
        const char* verdict = atLast ? "as after the last command" : oneAhead ? "with the command it was in" : "WRONG";
        if (atLast || oneAhead)
            ++good;
        if (oneAhead && !atLast)
            ++beforeLast;
        if (done == 0)
            ++notStarted;
        std::printf("  run %2d: killed after %3d ms, %3zu commands done, %4d entries, generation %d: %s\n", run, delay,
                    done, reading.board.TotalCount(), reading.generation, verdict);
    }
    std::printf("kill runs: %d of %d recovered exactly (%d with the command in progress, %d before the first)\n", good,
                runs, beforeLast, notStarted);
    return good == runs ? 0 : 1;
}

} // namespace

int PrintLeft(const FilePath& folder) {
    const auto files = RecoveryFiles::Claim(folder);
    if (!files)
        return 2;
    const RecoveryReading reading = ReadRecovery(*files);
    static const char* const kOutcomes[] = {"nothing", "readable", "unreadable"};
    std::printf("%s, generation %d, Backspace returns from list %d\n", kOutcomes[static_cast<int>(reading.outcome)],
                reading.generation, reading.board.marks.lastTouched);
    for (ListIndex list = 0; list < kListCount; ++list) {
        const auto i = static_cast<std::size_t>(list);
        std::printf("list %d (at %d):", list, reading.board.marks.positions[i]);
        for (const FilePath& path : reading.board.List(list))
            std::printf(" %s", path.substr(path.rfind('/') + 1).c_str());
        std::printf("\n");
    }
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::string_view(argv[1]) == "--print")
        return PrintLeft(argv[2]);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 40;
    const QString base =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : qEnvironmentVariable("TMPDIR", QStringLiteral("/dev/shm"));
    const FilePath work = (base + QStringLiteral("/pelldrake-recovery-%1").arg(::getpid())).toStdString();
    QDir().mkpath(QString::fromStdString(work));
    KeyPressCost(work);
    HistoryMemory();
    ReadingBack(work);
    UndoOfAMove(work);
    const int result = KillRuns(work, runs);
    QDir(QString::fromStdString(work)).removeRecursively();
    return result;
}
