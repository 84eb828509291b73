// Measures the thumbnail path as the user meets it: decode time against a bare Qt decode, time
// from ShowFile to the picture on screen, stalls of the user-interface thread while decoding in
// the background, and the cache's memory while stepping through a long list.
//
// Run with QT_QPA_PLATFORM=offscreen. Exits with 1 when a limit is missed.

#include "../tests/support/test_images.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

using namespace pelldrake;

namespace {

constexpr QSize kPane(200, 260);
constexpr int kDecodeRuns = 15;
constexpr int kShowRuns = 60;
constexpr int kBackgroundFiles = 200;
constexpr int kSteppedEntries = 2000;
constexpr double kFrameMs = 16.0;

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

double Ms(qint64 nanoseconds) {
    return static_cast<double>(nanoseconds) / 1e6;
}

double MiB(qint64 bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// Resident memory of this process in bytes, from the kernel's own account.
qint64 ResidentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool Report(const char* what, double value, double limit, const char* unit) {
    const bool ok = value <= limit;
    std::printf("  %-52s %9.2f %s   (limit %.2f %s) %s\n", what, value, unit, limit, unit, ok ? "ok" : "MISSED");
    return ok;
}

// The reference: QImageReader alone, with the same settings the loader gives it.
double BareDecodeMs(const QString& path, int quality) {
    QElapsedTimer timer;
    timer.start();
    QImageReader reader(path);
    reader.setAutoTransform(true);
    reader.setQuality(quality);
    reader.setScaledSize(ImageLoader::FitSize(reader.size(), kPane));
    const QImage image = reader.read();
    const qint64 elapsed = timer.nsecsElapsed();
    return image.isNull() ? -1 : Ms(elapsed);
}

// From the request on the user-interface thread to the image delivered back to it.
double LoaderDecodeMs(ImageLoader& loader, const std::string& path) {
    QObject requester;
    QEventLoop loop;
    QElapsedTimer timer;
    qint64 elapsed = -1;
    timer.start();
    const std::optional<QImage> answer =
        loader.Request(&requester, path, kPane, [&loop, &timer, &elapsed](const QImage& image) {
            elapsed = image.isNull() ? -1 : timer.nsecsElapsed();
            loop.quit();
        });
    if (answer)
        return -1; // answered from memory: not a decode
    loop.exec();
    return elapsed < 0 ? -1 : Ms(elapsed);
}

// Notes when its paint has finished.
class TimedCtl : public CThumbCtl {
public:
    using CThumbCtl::CThumbCtl;
    QElapsedTimer* clock = nullptr;
    qint64 paintedAt = -1;

protected:
    void paintEvent(QPaintEvent* event) override {
        CThumbCtl::paintEvent(event);
        if (clock != nullptr)
            paintedAt = clock->nsecsElapsed();
    }
};

// Waits for the control's next imageShown.
bool WaitShown(CThumbCtl& ctl) {
    QEventLoop loop;
    bool shown = false;
    QObject::connect(&ctl, &CThumbCtl::imageShown, &loop, [&loop, &shown] {
        shown = true;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    return shown;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 2;
    }
    bool allOk = true;
    QElapsedTimer total;
    total.start();

    // Two distinct 24-megapixel baseline JPEGs of about 10 MB each; every other large file is a
    // hard link to one of them, so the disk holds little while the loader sees distinct paths.
    std::printf("Making test images in %s\n", qPrintable(dir.path()));
    std::vector<std::string> large;
    for (std::uint32_t seed : {1u, 2u}) {
        const QByteArray bytes =
            testing::EncodeImage(testing::PhotoLikeImage(QSize(6000, 4000), seed, /*grain=*/28), "jpeg", 90);
        large.push_back(Native(dir.filePath(QStringLiteral("large%1.jpg").arg(seed))));
        if (bytes.isEmpty() || !testing::WriteNativeFile(large.back(), bytes)) {
            std::fprintf(stderr, "cannot write %s\n", large.back().c_str());
            return 2;
        }
        std::printf("  %s: 6000 x 4000, %.2f MB\n", large.back().c_str(), MiB(bytes.size()));
    }
    const QString largeName = QFile::decodeName(QByteArray::fromStdString(large[0]));

    // 1. Decode to a pane's size: the loader against QImageReader alone, interleaved so that
    //    both see the same machine load.
    {
        ImageLoader loader(/*cacheBudgetBytes=*/0); // keeps nothing, so every request decodes
        constexpr int kQuality = 75;                // what the loader asks of the JPEG reader
        BareDecodeMs(largeName, kQuality);
        LoaderDecodeMs(loader, large[0]);
        std::vector<double> bare, bareDefault, loaded;
        for (int run = 0; run < kDecodeRuns; ++run) {
            bare.push_back(BareDecodeMs(largeName, kQuality));
            loaded.push_back(LoaderDecodeMs(loader, large[0]));
            bareDefault.push_back(BareDecodeMs(largeName, -1));
        }
        if (std::count(loaded.begin(), loaded.end(), -1.0) + std::count(bare.begin(), bare.end(), -1.0) != 0) {
            std::fprintf(stderr, "a decode failed\n");
            return 2;
        }
        const double overhead = (Median(loaded) / Median(bare) - 1) * 100;
        std::printf("\nDecode of the 24 MP JPEG to fit %d x %d, median of %d runs\n", kPane.width(), kPane.height(),
                    kDecodeRuns);
        std::printf("  %-52s %9.2f ms\n", "QImageReader alone, same settings", Median(bare));
        std::printf("  %-52s %9.2f ms\n", "QImageReader alone, Qt's default quality", Median(bareDefault));
        std::printf("  %-52s %9.2f ms\n", "ImageLoader, request to delivery", Median(loaded));
        allOk &= Report("loader overhead over the bare decode", overhead, 10, "%");
    }

    // 2. ShowFile of a cached file until its paint has finished.
    {
        ImageLoader loader;
        TimedCtl ctl(nullptr, &loader);
        ctl.resize(kPane + QSize(2, 2));
        ctl.show();
        if (!QTest::qWaitForWindowExposed(&ctl)) {
            std::fprintf(stderr, "the control was never exposed\n");
            return 2;
        }
        for (const std::string& path : large) {
            ctl.ShowFile(path);
            if (ctl.showing() != CThumbCtl::Showing::Image && !WaitShown(ctl)) {
                std::fprintf(stderr, "%s was never shown\n", path.c_str());
                return 2;
            }
        }
        QElapsedTimer clock;
        clock.start();
        ctl.clock = &clock;
        std::vector<double> times;
        for (int run = 0; run < kShowRuns; ++run) {
            ctl.paintedAt = -1;
            const qint64 start = clock.nsecsElapsed();
            ctl.ShowFile(large[static_cast<std::size_t>(run) % large.size()]);
            ctl.repaint();
            if (ctl.paintedAt < 0 || ctl.showing() != CThumbCtl::Showing::Image) {
                std::fprintf(stderr, "a cached file was not painted at once\n");
                return 2;
            }
            times.push_back(Ms(ctl.paintedAt - start));
        }
        std::printf("\nShowFile of a cached file until painted, %d runs\n", kShowRuns);
        std::printf("  %-52s %9.3f ms\n", "median", Median(times));
        allOk &= Report("slowest", *std::max_element(times.begin(), times.end()), kFrameMs, "ms");
    }

    // 3. Longest gap between ticks of a 1 ms timer on the user-interface thread while the
    //    loader decodes large files in the background.
    {
        QDir(dir.path()).mkdir(QStringLiteral("links"));
        std::vector<std::string> paths;
        for (int i = 0; i < kBackgroundFiles; ++i) {
            paths.push_back(Native(dir.filePath(QStringLiteral("links/%1.jpg").arg(i, 4, 10, QLatin1Char('0')))));
            if (::link(large[static_cast<std::size_t>(i) % large.size()].c_str(), paths.back().c_str()) != 0) {
                std::fprintf(stderr, "cannot link %s\n", paths.back().c_str());
                return 2;
            }
        }
        ImageLoader loader;
        QObject requester;
        QEventLoop loop;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QElapsedTimer clock;
        std::vector<double> idleGaps, busyGaps;
        qint64 lastTick = -1;
        qint64 startedAt = -1;
        qint64 finishedAt = -1;
        QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (lastTick >= 0)
                (startedAt < 0 ? idleGaps : busyGaps).push_back(Ms(now - lastTick));
            lastTick = now;
            if (startedAt < 0 && now > 300'000'000) {
                startedAt = now;
                loader.ReadAhead(&requester, paths, kPane);
            } else if (startedAt >= 0 && loader.pendingCount() == 0) {
                finishedAt = now;
                loop.quit();
            }
        });
        clock.start();
        ticker.start();
        loop.exec();
        ticker.stop();
        const double seconds = Ms(finishedAt - startedAt) / 1000;
        std::printf("\nUser-interface thread while %d large JPEGs decode in the background (%d at a time)\n",
                    kBackgroundFiles, loader.maxRunning());
        std::printf("  %-52s %9.2f s  (%.1f images/s)\n", "time for all decodes", seconds, kBackgroundFiles / seconds);
        std::printf("  %-52s %9.2f ms\n", "longest gap between 1 ms ticks, idle beforehand",
                    idleGaps.empty() ? 0 : *std::max_element(idleGaps.begin(), idleGaps.end()));
        std::printf("  %-52s %9.2f ms\n", "99th percentile gap while decoding", Percentile(busyGaps, 0.99));
        allOk &=
            Report("longest gap while decoding", *std::max_element(busyGaps.begin(), busyGaps.end()), kFrameMs, "ms");
        std::printf("  %-52s %9d of %d\n", "images cached afterwards", loader.cacheCount(), kBackgroundFiles);
    }

    // 4. Stepping through a long list in an enlarge-sized control, reading the next two ahead,
    //    as the board does: the cache must stay within its budget.
    {
        QDir(dir.path()).mkdir(QStringLiteral("steps"));
        std::vector<std::string> distinct;
        for (std::uint32_t seed : {11u, 12u, 13u}) {
            distinct.push_back(Native(dir.filePath(QStringLiteral("steps/source%1.jpg").arg(seed))));
            if (testing::WriteImageFile(distinct.back(), QSize(2400, 1600), "jpeg", seed).empty()) {
                std::fprintf(stderr, "cannot write %s\n", distinct.back().c_str());
                return 2;
            }
        }
        std::vector<std::string> paths;
        for (int i = 0; i < kSteppedEntries; ++i) {
            paths.push_back(Native(dir.filePath(QStringLiteral("steps/%1.jpg").arg(i, 4, 10, QLatin1Char('0')))));
            if (::link(distinct[static_cast<std::size_t>(i) % distinct.size()].c_str(), paths.back().c_str()) != 0) {
                std::fprintf(stderr, "cannot link %s\n", paths.back().c_str());
                return 2;
            }
        }
        ImageLoader loader;
        CThumbCtl ctl(nullptr, &loader);
        ctl.resize(1202, 802);
        ctl.show();
        if (!QTest::qWaitForWindowExposed(&ctl)) {
            std::fprintf(stderr, "the control was never exposed\n");
            return 2;
        }
        const qint64 residentBefore = ResidentBytes();
        std::int64_t mostBytes = 0;
        qint64 mostResident = residentBefore;
        int mostCount = 0;
        int shownAtOnce = 0;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kSteppedEntries; ++i) {
            ctl.ShowFile(paths[static_cast<std::size_t>(i)]);
            if (ctl.showing() == CThumbCtl::Showing::Image)
                ++shownAtOnce;
            else if (!WaitShown(ctl)) {
                std::fprintf(stderr, "entry %d was never shown\n", i);
                return 2;
            }
            FilePathList next;
            for (int j = i + 1; j <= i + 2 && j < kSteppedEntries; ++j)
                next.push_back(paths[static_cast<std::size_t>(j)]);
            ctl.ReadAhead(next);
            mostBytes = std::max(mostBytes, loader.cacheBytes());
            mostCount = std::max(mostCount, loader.cacheCount());
            if (i % 50 == 0)
                mostResident = std::max(mostResident, ResidentBytes());
        }
        const qint64 entryBytes = ctl.image().sizeInBytes();
        std::printf("\nStepping through %d entries (hard links to %zu files of 2400 x 1600) at %d x %d, reading "
                    "2 ahead\n",
                    kSteppedEntries, distinct.size(), ctl.decodeSize().width(), ctl.decodeSize().height());
        std::printf("  %-52s %9.2f s\n", "time", Ms(clock.nsecsElapsed()) / 1000);
        std::printf("  %-52s %9d of %d\n", "entries already decoded when shown (read ahead)", shownAtOnce,
                    kSteppedEntries);
        std::printf("  %-52s %9.2f MiB each, %d at most\n", "cached images", MiB(entryBytes), mostCount);
        std::printf("  %-52s %9.1f MiB -> %.1f MiB (highest %.1f MiB)\n", "resident memory", MiB(residentBefore),
                    MiB(ResidentBytes()), MiB(mostResident));
        allOk &=
            Report("most cache bytes (budget: the default, 192 MiB)", MiB(mostBytes), MiB(loader.cacheBudget()), "MiB");
    }

    std::printf("\nWhole run: %.1f s. %s\n", Ms(total.nsecsElapsed()) / 1000,
                allOk ? "All limits met." : "A limit was MISSED.");
    return allOk ? 0 : 1;
}
