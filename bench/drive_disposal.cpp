// Times the disposal of a list of large files against the shell's own tools on the same files.
//
// 1,000 files of 5 MB (arguments: count, kilobytes, rounds, folder) in one folder of the temporary
// folder's file system. A move there is a rename; a copy writes every byte under a temporary name and
// renames it into place. Each is timed beside mv and cp of the same files in the same run.
// Every question is answered Yes by a stand-in for the user. The copy is timed twice: through the
// disposal code alone, and through the real board window (the command, its dialog, the work on a
// thread of its own, the progress), as a user runs it, noting the longest the window's events
// wait meanwhile. A fifth argument puts the targets on another file system (onto a memory one
// from the disk, say).

#include "../tests/support/scripted_prompter.h"
#include "board/board.h"
#include "board/ui/classify_board_dialog.h"
#include "disposal/copy_or_move_files.h"
#include "disposal/destination_fields.h"
#include "disposal/ui/destination_dialog.h"
#include "disposal/ui/disposal_commands.h"
#include "event_ping.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "yes_prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace pelldrake;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

bool MakeFiles(const QString& folder, int count, int kilobytes, QStringList& names) {
    QDir().mkpath(folder);
    std::vector<char> block(1 << 10);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(folder + "/" + name).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        for (int kb = 0; kb < kilobytes; ++kb) {
            std::fill(block.begin(), block.end(), static_cast<char>(i * 31 + kb));
            if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size())) {
                ::close(fd);
                return false;
            }
        }
        ::close(fd);
        names << name;
    }
    return true;
}

struct RunResult {
    double seconds = 0;
    double longestWaitMs = 0;
};

double Dispose(const QString& from, const QStringList& names, const QString& to, bool keepSource) {
    QDir().mkpath(to);
    Board board;
    for (const QString& name : names)
        board.List(3).Append(QFile::encodeName(from + "/" + name).toStdString());
    PosixFileSystem disk;
    YesPrompter prompter;
    DisposalContext context{disk, prompter};
    const Clock::time_point start = Clock::now();
    CopyOrMoveFiles(board, context, 3, QFile::encodeName(to).toStdString(), keepSource);
    return Seconds(Clock::now() - start);
}

// The same copy as the user makes it: "フォルダに移動" of list 3 on the real board, the folder typed
// into the dialog with "元のファイルも残す" ticked, then "実行". A ping every 5 ms measures the longest
// the window's events wait meanwhile, as a window manager's ping would see it.
RunResult BoardCopy(ClassifyBoardDialog& window, const QString& from, const QStringList& names, const QString& to) {
    QDir().mkpath(to);
    FilePathList entries;
    for (const QString& name : names)
        entries.push_back(QFile::encodeName(from + "/" + name).toStdString());
    window.board().AppendAndShow(3, std::move(entries), 0);
    auto* disposal = window.findChild<DisposalCommands*>();
    const RunFigures run = Pinged([&] {
        // Answered once the dialog is open, from its own event loop.
        QTimer::singleShot(0, &window, [disposal, to] {
            DestinationDialog& dialog = disposal->dialog();
            qobject_cast<QComboBox*>(dialog.control(destination_ids::kFolder))->setEditText(to);
            auto* keep = qobject_cast<QAbstractButton*>(dialog.control(destination_ids::kKeepSource));
            if (!keep->isChecked())
                keep->click();
            qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
        });
        window.RunCommand(menu_ids::kMoveToFolderFirst + 3);
    });
    return {run.ms / 1000, run.longestWaitMs};
}

double Tool(const QString& program, const QStringList& options, const QString& from, const QStringList& names,
            const QString& to) {
    QDir().mkpath(to);
    QStringList arguments = options;
    arguments << QStringLiteral("-t") << to << names;
    // The names alone, from their folder: a hundred thousand whole paths pass no exec's limit.
    QProcess tool;
    tool.setWorkingDirectory(from);
    const Clock::time_point start = Clock::now();
    tool.start(program, arguments);
    tool.waitForFinished(-1);
    return Seconds(Clock::now() - start);
}

// Waits until the written bytes are on the disk, and gives a virtual disk a moment to settle, so
// that one run does not pay for the writes of the run before.
double Flush() {
    const Clock::time_point start = Clock::now();
    ::sync();
    const double seconds = Seconds(Clock::now() - start);
    QThread::sleep(5);
    return seconds;
}

double Mean(const std::vector<double>& values) {
    double sum = 0;
    for (double value : values)
        sum += value;
    return sum / static_cast<double>(values.size());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int kilobytes = argc > 2 ? std::atoi(argv[2]) : 5 * 1024;
    // Even, so that each tool goes first as often as the other.
    const int rounds = std::max(2, (argc > 3 ? std::atoi(argv[3]) : 2) / 2 * 2);

    // A folder on another file system (a memory one, say) as the fourth argument.
    QTemporaryDir temp(argc > 4 ? QString::fromLocal8Bit(argv[4]) + QStringLiteral("/drive_disposal-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/drive_disposal-XXXXXX"));
    QTemporaryDir targets(argc > 5 ? QString::fromLocal8Bit(argv[5]) + QStringLiteral("/drive_disposal-XXXXXX")
                                   : temp.path() + QStringLiteral("/targets-XXXXXX"));
    const QString source = temp.filePath(QStringLiteral("source"));
    QStringList names;
    if (!temp.isValid() || !MakeFiles(source, count, kilobytes, names)) {
        std::fprintf(stderr, "cannot create the files under %s\n", qPrintable(temp.path()));
        return 1;
    }
    Flush();
    std::printf("%d files of %d KB in %s, targets in %s\n", count, kilobytes, qPrintable(temp.path()),
                qPrintable(targets.path()));

    // Move there and mv back.
    const QString moved = targets.filePath(QStringLiteral("moved"));
    std::vector<double> moves, mvs;
    for (int round = 1; round <= rounds; ++round) {
        moves.push_back(Dispose(source, names, moved, false));
        mvs.push_back(Tool(QStringLiteral("mv"), {}, moved, names, source));
        std::printf("round %d  move: Pelldrake %.3f s   mv %.3f s\n", round, moves.back(), mvs.back());
    }

    // Copy beside cp, taking turns at going first; each time with and without waiting for the disk.
    std::vector<double> copies, copiesFlushed, cps, cpsFlushed;
    for (int round = 1; round <= rounds; ++round) {
        const QString ours = targets.filePath(QStringLiteral("copied"));
        const QString theirs = targets.filePath(QStringLiteral("cp"));
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (round % 2 == 1)) {
                copies.push_back(Dispose(source, names, ours, true));
                copiesFlushed.push_back(copies.back() + Flush());
                std::printf("round %d  copy: Pelldrake %.3f s, flushed %.3f s\n", round, copies.back(),
                            copiesFlushed.back());
            } else {
                cps.push_back(Tool(QStringLiteral("cp"), {}, source, names, theirs));
                cpsFlushed.push_back(cps.back() + Flush());
                std::printf("round %d  copy: cp %.3f s, flushed %.3f s\n", round, cps.back(), cpsFlushed.back());
            }
        }
        QDir(ours).removeRecursively();
        QDir(theirs).removeRecursively();
        Flush();
    }
    std::printf("mean  move %.3f s, mv %.3f s\n", Mean(moves), Mean(mvs));
    std::printf("mean  copy %.3f s, cp %.3f s (ratio %.2f); flushed %.3f s, %.3f s (ratio %.2f)\n", Mean(copies),
                Mean(cps), Mean(copies) / Mean(cps), Mean(copiesFlushed), Mean(cpsFlushed),
                Mean(copiesFlushed) / Mean(cpsFlushed));

    // The same copy through the board window, beside cp, taking turns at going first.
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    ClassifyBoardDialog window(LayoutMode::Small, SettingsFile(temp.filePath(QStringLiteral("s.INI"))), prompter,
                               shell);
    window.show();
    std::vector<double> boardCopies, boardCps, waits;
    for (int round = 1; round <= rounds; ++round) {
        const QString ours = targets.filePath(QStringLiteral("board"));
        const QString theirs = targets.filePath(QStringLiteral("cp"));
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (round % 2 == 1)) {
                const RunResult copy = BoardCopy(window, source, names, ours);
                boardCopies.push_back(copy.seconds);
                waits.push_back(copy.longestWaitMs);
                std::printf("round %d  copy through the board: %.3f s (longest event wait %.1f ms)\n", round,
                            copy.seconds, copy.longestWaitMs);
            } else {
                boardCps.push_back(Tool(QStringLiteral("cp"), {}, source, names, theirs));
                std::printf("round %d  copy: cp %.3f s\n", round, boardCps.back());
            }
        }
        QDir(ours).removeRecursively();
        QDir(theirs).removeRecursively();
        Flush();
    }
    std::printf("mean  copy through the board %.3f s, cp %.3f s (ratio %.2f)\n", Mean(boardCopies), Mean(boardCps),
                Mean(boardCopies) / Mean(boardCps));
    std::printf("longest event wait through the board: %.1f ms\n", *std::max_element(waits.begin(), waits.end()));
    return 0;
}
