// Measures the loader against hostile pictures: decompression bombs in read-ahead (peak memory of
// the whole process) and huge pictures the user steps away from (time until the next, normal
// picture is shown).
//
// Run with QT_QPA_PLATFORM=offscreen. Prints figures; exits with 1 when the normal picture takes
// longer than a second or the peak passes 2 GiB.

#include "../tests/support/test_images.h"
#include "thumbs/image_loader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace pelldrake;

namespace {

constexpr QSize kPane(200, 260);

long PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

template <typename Done> void WaitUntil(Done done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

std::string Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const std::string path = QFile::encodeName(dir.filePath(name)).toStdString();
    testing::WriteNativeFile(path, bytes);
    return path;
}

// Shows each of first, then normal, from one pane as a user stepping on would; the time from
// the step to the normal picture in milliseconds.
double StepPast(const std::vector<std::string>& first, const std::string& normal) {
    ImageLoader loader;
    QObject pane;
    bool shown = false;
    for (const std::string& path : first)
        loader.Request(&pane, path, kPane, [](const QImage&) {});
    // The user looks for a moment, and the decodes are under way.
    WaitUntil([] { return false; }, 200);
    QElapsedTimer timer;
    timer.start();
    if (loader.Request(&pane, normal, kPane, [&shown](const QImage&) { shown = true; }))
        shown = true;
    WaitUntil([&shown] { return shown; }, 120'000);
    const double ms = timer.nsecsElapsed() / 1e6;
    WaitUntil([&loader] { return loader.pendingCount() == 0; }, 120'000);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Files named on the command line: each decoded at the pane's size, one process per file gives
    // each its own peak.
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            QElapsedTimer timer;
            timer.start();
            const QImage image = ImageLoader::Decode(argv[i], kPane);
            std::printf("%s: %dx%d in %.1f ms; peak of the process %ld MiB\n", argv[i], image.width(), image.height(),
                        timer.nsecsElapsed() / 1e6, PeakMiB());
        }
        return 0;
    }
    QTemporaryDir dir;
    bool ok = true;

    // Four progressive JPEGs of 2.8 KB claiming 30000 x 30000 and one baseline claiming 65000 x 65000,
    // read ahead while a fifth is shown.
    std::vector<std::string> bombs;
    for (int i = 0; i < 4; ++i)
        bombs.push_back(Write(dir, QString("bomb%1.jpg").arg(i), testing::JpegClaiming(QSize(30000, 30000), true)));
    bombs.push_back(Write(dir, "wide.jpg", testing::JpegClaiming(QSize(65000, 65000), false)));
    {
        ImageLoader loader;
        QObject pane;
        QElapsedTimer timer;
        timer.start();
        loader.ReadAhead(&pane, bombs, kPane);
        bool answered = false;
        if (loader.Request(&pane, bombs.front(), kPane, [&answered](const QImage&) { answered = true; }))
            answered = true;
        WaitUntil([&] { return answered && loader.pendingCount() == 0; }, 300'000);
        std::printf("bombs: %zu files answered in %.1f ms; peak of the process %ld MiB\n", bombs.size(),
                    timer.nsecsElapsed() / 1e6, PeakMiB());
        ok = ok && PeakMiB() < 2048;
    }

    const std::string normal =
        Write(dir, "normal.jpg", testing::EncodeImage(testing::PhotoLikeImage(QSize(1600, 1200)), "jpeg"));
    {
        // Two 30000 x 30000 PNGs: refused from their headers.
        const std::vector<std::string> huge = {Write(dir, "huge1.png", testing::BlankGreyPng(QSize(30000, 30000))),
                                               Write(dir, "huge2.png", testing::BlankGreyPng(QSize(30000, 30000)))};
        const double ms = StepPast(huge, normal);
        std::printf("two 30000x30000 PNGs, then a normal picture: shown after %.1f ms\n", ms);
        ok = ok && ms < 1000;
    }
    {
        // Two 14000 x 14000 PNGs, within the budget: their decodes take seconds and are abandoned.
        const std::vector<std::string> large = {Write(dir, "large1.png", testing::BlankGreyPng(QSize(14000, 14000))),
                                                Write(dir, "large2.png", testing::BlankGreyPng(QSize(14000, 14000)))};
        QElapsedTimer alone;
        alone.start();
        const QImage decoded = ImageLoader::Decode(large.front(), kPane);
        std::printf("one 14000x14000 PNG alone: %.1f ms (%s)\n", alone.nsecsElapsed() / 1e6,
                    decoded.isNull() ? "null" : "decoded");
        const double ms = StepPast(large, normal);
        std::printf("two 14000x14000 PNGs, then a normal picture: shown after %.1f ms\n", ms);
        ok = ok && ms < 1000;
    }
    {
        QElapsedTimer alone;
        alone.start();
        ImageLoader::Decode(normal, kPane);
        std::printf("the normal picture alone: %.1f ms\n", alone.nsecsElapsed() / 1e6);
    }
    std::printf("peak of the process at the end: %ld MiB\n", PeakMiB());
    return ok ? 0 : 1;
}
