// A disposal of 1,000 files on one file system as the program's command runs it, with the
// recovery journal on: the file work, the lists following it, the files kept for undo and the
// journal synced at the end; then its undo and its redo. Move (a rename each), copy and trash,
// each timed over rounds (median and the fastest), beside mv of the same files.
//
// Arguments: files (default 1,000), rounds (default 5), the folder on the disk to work in (default
// $TMPDIR or /var/tmp): the pictures, the target folder and the recovery files all lie there.

#include "app/settings_file.h"
#include "disposal_steps.h"
#include "intake/add_files.h"
#include "state/recovery_files.h"
#include "state/recovery_journal.h"
#include "yes_prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

using namespace pelldrake;

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    std::vector<double> dispose, undo, redo;
};

void Print(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("  %-8s median %8.1f ms  fastest %8.1f ms\n", what, times[times.size() / 2], times.front());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const QString base =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) : qEnvironmentVariable("TMPDIR", QStringLiteral("/var/tmp"));
    const FilePath root = (base + QStringLiteral("/pelldrake-disposal-journal-%1").arg(::getpid())).toStdString();
    const FilePath pictures = root + "/pictures";
    const FilePath target = root + "/target";
    for (const FilePath& folder : {pictures, target, root + "/data"})
        QDir().mkpath(QString::fromStdString(folder));
    // The trash of these files lies beside them, not in the user's.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(root + "/data"));
    FilePathList paths;
    const std::string bytes(4096, 'p');
    for (int i = 0; i < count; ++i) {
        paths.push_back(pictures + "/IMG_" + std::to_string(10000 + i) + ".JPG");
        const int fd = ::open(paths.back().c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            return 2;
        ::close(fd);
    }
    ::sync();

    const SettingsFile settings(QString::fromStdString(root + "/pelldrake.INI"));
    PosixFileSystem disk;
    YesPrompter prompter;
    Board board;
    const auto files = RecoveryFiles::Claim(root + "/state");
    auto journal = RecoveryJournal::Start(*files, board, 1);
    board.history().setJournal(journal.get());
    {
        const BoardHistory::Scope step(board.history());
        AddFiles(board, settings, false, paths, 3, true);
    }
    std::printf("%d files of 4 KB in %s, the journal on, %d rounds\n", count, root.c_str(), rounds);

    constexpr ListIndex kList = 3;
    auto command = [&board](const std::function<void()>& work) {
        return Milliseconds([&] {
            const BoardHistory::Scope step(board.history());
            work();
        });
    };
    for (const auto& [name, folder, keepSource] : {std::tuple{"move", target, false}, std::tuple{"copy", target, true},
                                                   std::tuple{"trash", FilePath(), false}}) {
        Figures figures;
        for (int round = 0; round < rounds; ++round) {
            figures.dispose.push_back(
                command([&] { bench::DisposeList(board, disk, prompter, kList, folder, keepSource); }));
            figures.undo.push_back(command([&] { board.history().Undo(); }));
            figures.redo.push_back(command([&] { board.history().Redo(); }));
            // Back as it was for the next round.
            command([&] { board.history().Undo(); });
            if (board.List(kList).Count() != count) {
                std::fprintf(stderr, "the %s left %d of %d entries\n", name, board.List(kList).Count(), count);
                return 1;
            }
        }
        std::printf("%s of %d files%s\n", name, count, folder.empty() ? "" : " into a folder of the same file system");
        Print(name, figures.dispose);
        Print("undo", figures.undo);
        Print("redo", figures.redo);
    }
    std::vector<double> mvs;
    bool moved = true;
    for (int round = 0; round < rounds; ++round) {
        mvs.push_back(Milliseconds(
            [&] { moved = std::system(("cd '" + pictures + "' && mv -t '" + target + "' -- *").c_str()) == 0; }));
        moved = moved && std::system(("cd '" + target + "' && mv -t '" + pictures + "' -- *").c_str()) == 0;
    }
    std::printf("mv of them there%s\n", moved ? "" : " (FAILED)");
    Print("mv", mvs);

    board.history().setJournal(nullptr);
    journal->Finish();
    QDir(QString::fromStdString(root)).removeRecursively();
    return 0;
}
