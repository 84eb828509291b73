// Times the disposal of a list of large files against the shell's own tools on the same files.
//
// 1,000 files of 5 MB (arguments: count, megabytes, rounds, folder) in one folder of the temporary
// folder's file system. A move there is a rename; a copy writes every byte under a temporary name and
// renames it into place. Each is timed beside mv and cp of the same files in the same run, and
// the longest gap between two calls of the progress hook (the longest the window goes without a
// repaint) is noted.
// Every question is answered Yes by a stand-in for the user.

#include "board/board.h"
#include "disposal/copy_or_move_files.h"
#include "disposal/ui/repaint_pacer.h"
#include "platform/file_system.h"
#include "platform/prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace pelldrake;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

class YesPrompter final : public Prompter {
public:
    PromptAnswer Ask(const QString&, PromptButtons, PromptIcon) override { return PromptAnswer::Yes; }
    std::optional<FilePathList> OpenFiles(const std::vector<FileTypeEntry>&) override { return std::nullopt; }
    std::optional<FilePath> BrowseForFolder(const QString&, const FilePath&) override { return std::nullopt; }
    PromptAnswer AskTitled(const QString&, const QString&, PromptButtons, PromptIcon) override {
        return PromptAnswer::Yes;
    }
    std::optional<FilePath> SaveFileName(const std::vector<FileTypeEntry>&, const QString&) override {
        return std::nullopt;
    }
    std::optional<FilePath> OpenFileName(const std::vector<FileTypeEntry>&, const QString&) override {
        return std::nullopt;
    }
};

bool MakeFiles(const QString& folder, int count, int megabytes, QStringList& names) {
    QDir().mkpath(folder);
    std::vector<char> block(1 << 20);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(folder + "/" + name).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        for (int mb = 0; mb < megabytes; ++mb) {
            std::fill(block.begin(), block.end(), static_cast<char>(i * 31 + mb));
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
    double longestGapMs = 0;
};

RunResult Dispose(const QString& from, const QStringList& names, const QString& to, bool keepSource) {
    QDir().mkpath(to);
    Board board;
    for (const QString& name : names)
        board.List(3).Append(QFile::encodeName(from + "/" + name).toStdString());
    PosixFileSystem disk;
    YesPrompter prompter;
    // The program's own hook, which also measures the longest time between two repaints.
    auto pacer = std::make_shared<RepaintPacer>();
    DisposalContext context{board, disk, prompter, [pacer] { (*pacer)(); }};
    const Clock::time_point start = Clock::now();
    CopyOrMoveFiles(context, 3, QFile::encodeName(to).toStdString(), keepSource);
    const double seconds = Seconds(Clock::now() - start);
    return {seconds, static_cast<double>(pacer->longestGap())};
}

double Tool(const QString& program, const QStringList& options, const QString& from, const QStringList& names,
            const QString& to) {
    QDir().mkpath(to);
    QStringList arguments = options;
    arguments << QStringLiteral("-t") << to;
    for (const QString& name : names)
        arguments << from + "/" + name;
    const Clock::time_point start = Clock::now();
    QProcess::execute(program, arguments);
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
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int megabytes = argc > 2 ? std::atoi(argv[2]) : 5;
    // Even, so that each tool goes first as often as the other.
    const int rounds = std::max(2, (argc > 3 ? std::atoi(argv[3]) : 2) / 2 * 2);

    // A folder on another file system (a memory one, say) as the fourth argument.
    QTemporaryDir temp(argc > 4 ? QString::fromLocal8Bit(argv[4]) + QStringLiteral("/drive_disposal-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/drive_disposal-XXXXXX"));
    const QString source = temp.filePath(QStringLiteral("source"));
    QStringList names;
    if (!temp.isValid() || !MakeFiles(source, count, megabytes, names)) {
        std::fprintf(stderr, "cannot create the files under %s\n", qPrintable(temp.path()));
        return 1;
    }
    Flush();
    std::printf("%d files of %d MB in %s\n", count, megabytes, qPrintable(temp.path()));

    // Move there and mv back.
    const QString moved = temp.filePath(QStringLiteral("moved"));
    std::vector<double> moves, mvs, gaps;
    for (int round = 1; round <= rounds; ++round) {
        const RunResult move = Dispose(source, names, moved, false);
        moves.push_back(move.seconds);
        gaps.push_back(move.longestGapMs);
        mvs.push_back(Tool(QStringLiteral("mv"), {}, moved, names, source));
        std::printf("round %d  move: Pelldrake %.3f s (longest gap %.1f ms)   mv %.3f s\n", round, move.seconds,
                    move.longestGapMs, mvs.back());
    }

    // Copy beside cp, taking turns at going first; each time with and without waiting for the disk.
    std::vector<double> copies, copiesFlushed, cps, cpsFlushed;
    for (int round = 1; round <= rounds; ++round) {
        const QString ours = temp.filePath(QStringLiteral("copied"));
        const QString theirs = temp.filePath(QStringLiteral("cp"));
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (round % 2 == 1)) {
                const RunResult copy = Dispose(source, names, ours, true);
                copies.push_back(copy.seconds);
                copiesFlushed.push_back(copy.seconds + Flush());
                gaps.push_back(copy.longestGapMs);
                std::printf("round %d  copy: Pelldrake %.3f s, flushed %.3f s (longest gap %.1f ms)\n", round,
                            copy.seconds, copiesFlushed.back(), copy.longestGapMs);
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
    std::printf("longest gap between two repaints: %.1f ms\n", *std::max_element(gaps.begin(), gaps.end()));
    return 0;
}
