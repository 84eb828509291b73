// The kill campaign: nothing lost at any instant, files and lists never out of step.
//
// Each run makes fresh files and runs a seeded session of a few hundred commands (intake, sorts,
// Backspace, move-all, clears, bulk classification, disposals that move, copy or trash files into
// a folder on the same file system and on another, undo and redo of each) on the real board with
// the real journal, twice: once to the end, recording the lists and the folders after each
// command (the reference), and once in a child killed with SIGKILL at a seeded instant, half the
// time anywhere in the session, half the time inside a disposal, its undo or redo, or a change of
// many entries. The board is then recovered as start-up does (the question answered はい) and the
// lists compared with the reference before and after the command in flight, and the files on the
// disk with the lists. Prints a line a run and the table; exits 1 when anything was lost or out
// of step.
//
// Arguments: runs (default 200), the folder to work in on the disk (default $TMPDIR or /var/tmp),
// a folder on another file system (default a second folder beside the first), the first seed
// (default 1), commands a session (default 300). With --kill COMMAND MICROS every run is killed
// that long into that command, and --keep keeps the last run's files, with the recovery files as
// the killed child left them in state-left: to repeat a run that went wrong and look at it.

#include "app/startup/board_recovery.h"
#include "campaign_session.h"
#include "campaign_verdict.h"

#include <QCoreApplication>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using namespace campaign;

namespace {

using Clock = std::chrono::steady_clock;

// Where the child is, seen by the parent without a word between them.
struct Progress {
    static constexpr int kMostCommands = 4096;
    std::atomic<int> started{-1};
    std::atomic<int> done{0};
    // The shape of the board after each command, to check that the killed run went the reference's way.
    std::array<std::atomic<std::uint64_t>, kMostCommands> shapes;
};

[[noreturn]] void Child(const CampaignFiles& files, unsigned seed, int commands, Progress& progress, int out) {
    Session session(files, seed);
    StateWriter writer(out);
    if (out >= 0) {
        const HashSet listing = files.Listing();
        writer.Send(session.board(), -1, 0, &listing);
    }
    for (int index = 0; index < commands; ++index) {
        progress.started = index;
        const auto start = Clock::now();
        const Command command = session.RunNext(index);
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        progress.shapes[static_cast<std::size_t>(index)] = Shape(session.board());
        progress.done = index + 1;
        if (out >= 0) {
            const HashSet listing = TouchesFiles(command) ? files.Listing() : HashSet{};
            if (!writer.Send(session.board(), static_cast<int>(command), static_cast<std::uint32_t>(micros),
                             TouchesFiles(command) ? &listing : nullptr))
                std::_Exit(2);
        }
        ::usleep(200); // keys come one after another
    }
    std::_Exit(0);
}

std::vector<BoardState> Reference(const CampaignFiles& files, unsigned seed, int commands, Progress& progress) {
    int ends[2];
    if (::pipe(ends) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        Child(files, seed, commands, progress, ends[1]);
    }
    ::close(ends[1]);
    std::vector<BoardState> states = ReadStates(ends[0]);
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        states.clear();
    return states;
}

struct Kill {
    int command = 0;
    std::uint32_t offsetMicros = 0;
};

// Half the kills at an instant of the whole session, half inside a command that moves files or
// many entries.
Kill ChooseKill(const std::vector<BoardState>& states, std::mt19937& random) {
    std::vector<int> risky;
    std::uint64_t total = 0;
    for (std::size_t i = 1; i < states.size(); ++i) {
        total += states[i].micros + 200;
        const bool files = *states[i].listing != *states[i - 1].listing;
        bool many = false;
        for (std::size_t list = 0; list < kListCount; ++list) {
            const auto& b = states[i - 1].lists[list];
            const auto& a = states[i].lists[list];
            many = many || (a != b && ((a && a->size() >= 500) || (b && b->size() >= 500)));
        }
        if (files || many)
            risky.push_back(static_cast<int>(i - 1));
    }
    if (!risky.empty() && random() % 2 == 0) {
        const int command = risky[random() % risky.size()];
        const auto span = states[static_cast<std::size_t>(command) + 1].micros * 11 / 10 + 50;
        return {command, static_cast<std::uint32_t>(random() % span)};
    }
    std::uint64_t at = random() % std::max<std::uint64_t>(total, 1);
    for (std::size_t i = 1; i < states.size(); ++i) {
        const std::uint64_t span = states[i].micros + 200;
        if (at < span)
            return {static_cast<int>(i - 1), static_cast<std::uint32_t>(at)};
        at -= span;
    }
    return {};
}

struct Killed {
    int started = -1;
    bool finished = false;
    bool ranOut = false;   // ended before the kill came
    bool diverged = false; // went another way than the reference
};

Killed KillRun(const CampaignFiles& files, unsigned seed, const std::vector<BoardState>& states, Progress& progress,
               Kill kill) {
    const int commands = static_cast<int>(states.size()) - 1;
    progress.started = -1;
    progress.done = 0;
    const pid_t child = ::fork();
    if (child == 0)
        Child(files, seed, commands, progress, -1);
    Killed killed;
    int status = 0;
    while (progress.started.load() < kill.command) {
        if (::waitpid(child, &status, WNOHANG) == child) {
            killed.ranOut = true;
            return killed;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(kill.offsetMicros));
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    killed.ranOut = !WIFSIGNALED(status);
    killed.started = progress.started.load();
    killed.finished = progress.done.load() > killed.started;
    for (int i = 0; i < progress.done.load(); ++i)
        killed.diverged = killed.diverged || progress.shapes[static_cast<std::size_t>(i)] != states[i + 1].Shape();
    return killed;
}

struct Recovered {
    Lists lists;
    BoardMarks marks;
    int generation = 0;
    int entries = 0;
};

// As start-up does: the files read, the question answered はい, the lists put on a board.
Recovered Recover(const CampaignFiles& files) {
    Recovered recovered;
    if (const auto claimed = RecoveryFiles::Claim(files.State()))
        recovered.generation = ReadRecovery(*claimed).generation;
    Board board;
    YesPrompter yes;
    BoardRecovery recovery(files.State(), yes);
    recovery.Begin(board);
    recovered.lists = ListsOf(board);
    recovered.marks = board.Marks();
    recovered.entries = board.TotalCount();
    recovery.End(board);
    return recovered;
}

struct Row {
    int runs = 0;
    std::size_t entries = 0;
    std::size_t most = 0;
    void Add(std::size_t count) {
        runs += count > 0;
        entries += count;
        most = std::max(most, count);
    }
};

struct Tally {
    int runs = 0, before = 0, after = 0, finishedLost = 0, midway = 0, partial = 0, marksOnly = 0, lagging = 0;
    int ranOut = 0, failed = 0, diverged = 0;
    Row missing, unnamed, referenceMissing;
    int maxGeneration = 0;
};

// One of the paths, shortened: the start of its folder's name and of its own.
std::string Sample(const HashList& hashes, const std::unordered_map<std::uint64_t, FilePath>& names) {
    const auto name = names.find(hashes.front());
    if (name == names.end())
        return " (e.g. a file of another name)";
    const FilePath& path = name->second;
    const std::size_t slash = path.rfind('/');
    const std::size_t folder = path.rfind('/', slash - 1) + 1;
    return " (e.g. " + path.substr(folder, std::min<std::size_t>(slash - folder, 10)) + "/" +
           path.substr(slash + 1, 12) + ")";
}

void PrintTable(const Tally& t, int commands) {
    std::printf("\nkill campaign: %d runs of %d commands (journal generations up to %d)\n", t.runs, commands,
                t.maxGeneration);
    std::printf("  %-34s %5s %9s %12s\n", "", "runs", "in all", "most in one");
    std::printf("  %-34s %5d\n", "runs", t.runs);
    std::printf("  %-34s %5d   (as before the command %d, after it %d; before, though it had finished: %d)\n",
                "lists exact", t.before + t.after, t.before, t.after, t.finishedLost);
    std::printf("  %-34s %5d   (a disposal, undo or redo cut between files, its files in step)\n",
                "lists midway, consistent", t.midway);
    std::printf("  %-34s %5d   (positions only: %d; an older state: %d)\n", "lists partial", t.partial, t.marksOnly,
                t.lagging);
    for (const auto& [name, row] :
         {std::pair{"entries naming no file", &t.missing}, std::pair{"files named by no list", &t.unnamed}})
        std::printf("  %-34s %5d %9zu %12zu\n", name, row->runs, row->entries, row->most);
    if (t.referenceMissing.runs)
        std::printf("  %-34s %5d %9zu %12zu\n", "(reference run: entries naming none)", t.referenceMissing.runs,
                    t.referenceMissing.entries, t.referenceMissing.most);
    std::printf("  (nothing lost or out of step: lists partial and the two rows after it all 0)\n");
    if (t.ranOut || t.failed || t.diverged)
        std::printf("  not judged: %d not killed (the session ended first), %d failed reference runs, %d killed runs "
                    "that went another way than their reference\n",
                    t.ranOut, t.failed, t.diverged);
}

} // namespace

int main(int argc, char** argv) {
    // Numbers in order: runs, the folder, the other folder, the first seed, commands a session;
    // --kill COMMAND MICROS and --keep repeat one run as it was and keep its files.
    std::vector<std::string> given;
    std::optional<Kill> fixedKill;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--kill" && i + 2 < argc) {
            fixedKill = Kill{std::atoi(argv[i + 1]), static_cast<std::uint32_t>(std::atol(argv[i + 2]))};
            i += 2;
        } else if (arg == "--keep") {
            keep = true;
        } else {
            given.emplace_back(arg);
        }
    }
    auto option = [&given](std::size_t i, std::string fallback) { return i < given.size() ? given[i] : fallback; };
    const int runs = std::stoi(option(0, "200"));
    CampaignFiles files;
    files.root = option(1, qEnvironmentVariable("TMPDIR", QStringLiteral("/var/tmp")).toStdString()) +
                 "/pelldrake-campaign-" + std::to_string(::getpid());
    files.otherRoot = option(2, files.root + "-other");
    const auto firstSeed = static_cast<unsigned>(std::stoul(option(3, "1")));
    const int commands = std::min(std::stoi(option(4, "300")), Progress::kMostCommands);
    // The trash of the disk's files lies in the run's folder, not in the user's.
    ::setenv("XDG_DATA_HOME", files.Data().c_str(), 1);
    QCoreApplication app(argc, argv);

    auto* progress = static_cast<Progress*>(
        ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    new (progress) Progress;
    if (!files.MakeFresh()) {
        std::fprintf(stderr, "cannot write the files under %s\n", files.root.c_str());
        return 2;
    }
    struct stat disk {
    }, other{};
    ::stat(files.Pictures().c_str(), &disk);
    ::stat(files.Other().c_str(), &other);
    std::printf("pictures and the same file system's folder in %s; the other folder in %s (%s)\n", files.root.c_str(),
                files.Other().c_str(), disk.st_dev == other.st_dev ? "the same file system" : "another file system");
    auto names = files.Names();

    Tally tally;
    for (int run = 1; run <= runs; ++run) {
        const unsigned seed = firstSeed + static_cast<unsigned>(run) - 1;
        files.MakeFresh();
        const std::vector<BoardState> states = Reference(files, seed, commands, *progress);
        if (states.size() != static_cast<std::size_t>(commands) + 1) {
            ++tally.failed;
            std::printf("run %3d seed %u: the reference run failed (%zu states)\n", run, seed, states.size());
            continue;
        }
        std::mt19937 random(seed * 7919u + 13u);
        const Kill kill = fixedKill ? *fixedKill : ChooseKill(states, random);
        files.MakeFresh();
        const Killed killed = KillRun(files, seed, states, *progress, kill);
        if (killed.ranOut || killed.diverged) {
            ++(killed.ranOut ? tally.ranOut : tally.diverged);
            std::printf("run %3d seed %4u: %s\n", run, seed,
                        killed.ranOut ? "ended before the kill" : "WENT ANOTHER WAY than its reference");
            continue;
        }
        if (keep) {
            // What the killed copy left, before start-up reads and replaces it.
            const QString state = QString::fromStdString(files.State());
            QDir().mkpath(state + "-left");
            for (const QString& name : QDir(state).entryList(QDir::Files))
                QFile::copy(state + "/" + name, state + "-left/" + name);
        }
        const Recovered recovered = Recover(files);
        const Verdict verdict = Judge(states, killed.started, killed.finished, recovered.lists, recovered.marks,
                                      files.Listing(&names), files, names);
        ++tally.runs;
        tally.maxGeneration = std::max(tally.maxGeneration, recovered.generation);
        using Kind = Verdict::Kind;
        static const char* const kVerdicts[] = {"exact, before", "exact, after", "midway, in step", "PARTIAL"};
        switch (verdict.lists) {
        case Kind::Before:
            ++tally.before;
            tally.finishedLost += verdict.finishedLost;
            break;
        case Kind::After:
            ++tally.after;
            break;
        case Kind::Midway:
            ++tally.midway;
            break;
        case Kind::Partial:
            ++tally.partial;
            tally.marksOnly += verdict.marksOnly;
            tally.lagging += verdict.lag > 0;
            break;
        }
        tally.missing.Add(verdict.missing.size());
        tally.unnamed.Add(verdict.unnamed.size());
        tally.referenceMissing.Add(verdict.referenceMissing);
        const BoardState& in = states[static_cast<std::size_t>(std::clamp(killed.started + 1, 0, commands))];
        std::printf("run %3d seed %4u: killed in command %3d (%s%s, %u us; aimed at %d +%u us), gen %d, %5d entries: "
                    "%s%s%s",
                    run, seed, killed.started, killed.started < 0 ? "start" : CommandName(Command(in.command)),
                    killed.finished ? ", done" : "", in.micros, kill.command, kill.offsetMicros, recovered.generation,
                    recovered.entries, kVerdicts[static_cast<int>(verdict.lists)],
                    verdict.finishedLost ? " (lost a finished command)" : "",
                    verdict.marksOnly ? " (positions only)" : "");
        if (verdict.lag)
            std::printf(" (as %d commands back)", verdict.lag);
        std::printf("%s", verdict.difference.c_str());
        if (!verdict.missing.empty())
            std::printf("; %zu entries naming no file%s", verdict.missing.size(),
                        Sample(verdict.missing, names).c_str());
        if (!verdict.unnamed.empty())
            std::printf("; %zu files named by no list%s", verdict.unnamed.size(),
                        Sample(verdict.unnamed, names).c_str());
        std::printf("\n");
        std::fflush(stdout);
    }
    PrintTable(tally, commands);
    if (keep) {
        std::printf("files kept in %s (the recovery files as left in state-left) and %s\n", files.root.c_str(),
                    files.Other().c_str());
        return 0;
    }
    QDir(QString::fromStdString(files.root)).removeRecursively();
    QDir(QString::fromStdString(files.Other())).removeRecursively();
    if (given.size() <= 2)
        QDir(QString::fromStdString(files.otherRoot)).removeRecursively();
    const bool clean = tally.partial == 0 && tally.missing.runs == 0 && tally.unnamed.runs == 0 && tally.failed == 0 &&
                       tally.diverged == 0;
    return clean ? 0 : 1;
}
