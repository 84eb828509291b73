// Times the disposal of a list of large files against the shell's own tools on the same files.
//
// 1,000 files of 5 MB (arguments: count and megabytes) in one folder of the temporary folder's
// file system. A move there is a rename; a copy writes every byte under a temporary name and
// renames it into place. Each is timed beside mv and cp of the same files in the same run, and
// the longest gap between two files (the longest the window goes without a repaint) is noted.
// Every question is answered Yes by a stand-in for the user.

#include "board/board.h"
#include "disposal/copy_or_move_files.h"
#include "platform/file_system.h"
#include "platform/prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
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

class YesPrompter final : public Prompter {
public:
    PromptAnswer Ask(const QString&, PromptButtons, PromptIcon) override { return PromptAnswer::Yes; }
    std::optional<FilePathList> OpenFiles(const std::vector<FileTypeEntry>&) override { return std::nullopt; }
    std::optional<FilePath> BrowseForFolder(const QString&, const FilePath&) override { return std::nullopt; }
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
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    DisposalContext context{board, disk, prompter, [&] {
                                // What the program does between two files: let the window repaint.
                                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                                const Clock::time_point now = Clock::now();
                                longest = std::max(longest, now - last);
                                last = now;
                            }};
    const Clock::time_point start = Clock::now();
    CopyOrMoveFiles(context, 3, QFile::encodeName(to).toStdString(), keepSource);
    return {Seconds(Clock::now() - start), std::chrono::duration<double, std::milli>(longest).count()};
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

void Sync() {
    ::sync();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int megabytes = argc > 2 ? std::atoi(argv[2]) : 5;

    QTemporaryDir temp;
    const QString source = temp.filePath(QStringLiteral("source"));
    QStringList names;
    if (!temp.isValid() || !MakeFiles(source, count, megabytes, names)) {
        std::fprintf(stderr, "cannot create the files under %s\n", qPrintable(temp.path()));
        return 1;
    }
    Sync();
    std::printf("%d files of %d MB in %s\n", count, megabytes, qPrintable(temp.path()));

    // Move there and mv back, twice.
    const QString moved = temp.filePath(QStringLiteral("moved"));
    for (int round = 1; round <= 2; ++round) {
        const RunResult move = Dispose(source, names, moved, false);
        const double mv = Tool(QStringLiteral("mv"), {}, moved, names, source);
        std::printf("round %d  move: Pelldrake %.3f s (longest gap %.1f ms)   mv %.3f s\n", round, move.seconds,
                    move.longestGapMs, mv);
    }

    // Copy beside cp, the order swapped in the second round; the targets go before the next round.
    for (int round = 1; round <= 2; ++round) {
        const QString ours = temp.filePath(QStringLiteral("copied-%1").arg(round));
        const QString theirs = temp.filePath(QStringLiteral("cp-%1").arg(round));
        RunResult copy;
        double cp = 0;
        if (round == 1) {
            copy = Dispose(source, names, ours, true);
            Sync();
            cp = Tool(QStringLiteral("cp"), {}, source, names, theirs);
        } else {
            cp = Tool(QStringLiteral("cp"), {}, source, names, theirs);
            Sync();
            copy = Dispose(source, names, ours, true);
        }
        Sync();
        std::printf("round %d  copy: Pelldrake %.3f s (longest gap %.1f ms)   cp %.3f s   ratio %.2f\n", round,
                    copy.seconds, copy.longestGapMs, cp, copy.seconds / cp);
        QDir(ours).removeRecursively();
        QDir(theirs).removeRecursively();
        Sync();
    }
    return 0;
}
