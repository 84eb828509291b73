// Measures the program's resident memory from outside while a person steps through 600 camera
// pictures with the enlarge window open at 1200 x 800: the real board window, digit keys at a
// steady pace, the kernel's count of the process's resident pages sampled after every step.
//
// Run with QT_QPA_PLATFORM=offscreen. With --keep-arenas the C library keeps freed picture
// buffers as it does by default, for comparison. Exits with 1 when the resident memory passes the
// start + the cache budget + 64 MiB.

#include "../tests/support/scripted_prompter.h"
#include "../tests/support/test_images.h"
#include "board/ui/classify_board_dialog.h"
#include "platform/memory_release.h"
#include "spin.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/enlarge_window.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtConcurrent>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace pelldrake;

namespace {

constexpr int kSourceFiles = 12;
constexpr int kSteps = 600;
constexpr int kPaceMs = 100;

// The kernel's count of this process's resident pages, as ps and top read it.
double ResidentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const qint64 pages = statm.readAll().split(' ').value(1).toLongLong();
    return static_cast<double>(pages * ::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

int main(int argc, char** argv) {
    const bool keepArenas = argc > 1 && std::strcmp(argv[1], "--keep-arenas") == 0;
    if (!keepArenas)
        ReturnLargeBuffersToSystem(); // as the program does
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    const QString dirPath = dir.path();
    QList<int> seeds;
    for (int i = 1; i <= kSourceFiles; ++i)
        seeds.append(i);
    const QList<bool> made = QtConcurrent::blockingMapped<QList<bool>>(seeds, [dirPath](int seed) {
        const QByteArray bytes = testing::EncodeImage(
            testing::PhotoLikeImage(QSize(6000, 4000), static_cast<std::uint32_t>(seed), 28), "jpeg", 92);
        return !bytes.isEmpty() && testing::WriteNativeFile(
                                       Native(QDir(dirPath).filePath(QStringLiteral("source%1.jpg").arg(seed))), bytes);
    });
    if (made.contains(false))
        return 2;
    QDir(dirPath).mkdir(QStringLiteral("entries"));
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    const double residentAtStart = ResidentMiB();
    ClassifyBoardDialog board(LayoutMode::Small, SettingsFile(QDir(dirPath).filePath(QStringLiteral("s.INI"))),
                              prompter, shell);
    ClassList& unclassified = board.board().List(kUnclassified);
    for (int i = 0; i < kSteps + 10; ++i) {
        const std::string path =
            Native(QDir(dirPath).filePath(QStringLiteral("entries/%1.jpg").arg(i, 4, 10, QChar('0'))));
        const std::string source =
            Native(QDir(dirPath).filePath(QStringLiteral("source%1.jpg").arg(seeds[i % kSourceFiles])));
        if (::link(source.c_str(), path.c_str()) != 0)
            return 2;
        unclassified.Append(path);
    }
    unclassified.UpdateControls();
    board.show();
    if (!QTest::qWaitForWindowExposed(&board))
        return 2;
    board.board().ResyncPane(kUnclassified, 0);
    board.activateWindow();
    QTest::keyClick(&board, Qt::Key_Space); // the enlarge window of the unclassified list
    EnlargeWindow* enlarge = board.viewer().window();
    if (!enlarge || !enlarge->isVisible()) {
        std::fprintf(stderr, "the enlarge window did not open\n");
        return 2;
    }
    enlarge->resize(1200, 800);
    Spin(1200); // past its settling, so the picture is asked for at this size
    board.activateWindow();
    const double residentOpen = ResidentMiB();

    double highest = residentOpen;
    const Qt::Key digits[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5,
                              Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_0};
    for (int step = 0; step < kSteps; ++step) {
        QTest::keyClick(&board, digits[step % 10]);
        Spin(kPaceMs);
        highest = std::max(highest, ResidentMiB());
        if (step % 100 == 99) {
            std::printf("  after %3d steps: resident %.1f MiB, cache %.1f MiB\n", step + 1, ResidentMiB(),
                        static_cast<double>(ImageLoader::Shared()->cacheBytes()) / (1 << 20));
            std::fflush(stdout);
        }
    }
    const double budget = static_cast<double>(ImageLoader::Shared()->cacheBudget()) / (1 << 20);
    const double limit = residentOpen + budget + 64;
    std::printf("%d steps, one every %d ms, enlarge window %d x %d decoding to %d x %d; freed buffers %s\n", kSteps,
                kPaceMs, enlarge->width(), enlarge->height(), enlarge->thumbnail()->decodeSize().width(),
                enlarge->thumbnail()->decodeSize().height(),
                keepArenas ? "kept by the C library (--keep-arenas)" : "returned to the system");
    std::printf("  resident before the board %.1f MiB, with the board and enlarge window open %.1f MiB\n",
                residentAtStart, residentOpen);
    std::printf("  highest resident while stepping %.1f MiB, at the end %.1f MiB (limit: %.1f + %.0f + 64 = %.1f MiB) "
                "%s\n",
                highest, ResidentMiB(), residentOpen, budget, limit, highest <= limit ? "ok" : "MISSED");
    return highest <= limit ? 0 : 1;
}
