// Measures the thumbnail path as the user meets it: decode time against a bare Qt decode, time
// from ShowFile to the picture on screen, stalls of the user-interface thread while decoding in
// the background, the cache's and the process's memory while stepping through a long list at a
// person's pace, and the time to read an embedded preview against Exiv2 alone.
//
// Run with QT_QPA_PLATFORM=offscreen. Exits with 1 when a limit is missed. With --keep-arenas the
// C library keeps freed picture buffers as it does by default, for comparison.

#include "../tests/support/embedded_previews.h"
#include "../tests/support/test_images.h"
#include "board/board.h"
#include "platform/memory_release.h"
#include "spin.h"
#include "thumbs/embedded_preview.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace pelldrake;

namespace {

constexpr QSize kPane(200, 260);
constexpr int kDecodeRuns = 15;
constexpr int kShowRuns = 60;
constexpr int kBackgroundFiles = 200;
constexpr int kSteppedEntries = 600;
// A brisk person: long enough to look at each picture, short enough to make read-ahead work.
constexpr int kStepPaceMs = 100;
constexpr int kPreviewRuns = 15;
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

// Bytes this process has asked the kernel to read so far (read calls, not mapped pages).
qint64 ReadCallBytes() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// Drops the file from the page cache, so that the next read has to fetch what it touches.
void Evict(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

// Bytes of the file in the page cache: after Evict, what a reader brought in (with the kernel's
// read-ahead around it).
qint64 CachedBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_size == 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    void* map = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED)
        return -1;
    const long page = ::sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident(static_cast<std::size_t>((info.st_size + page - 1) / page));
    qint64 bytes = -1;
    if (::mincore(map, static_cast<std::size_t>(info.st_size), resident.data()) == 0)
        bytes = static_cast<qint64>(
                    std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; })) *
                page;
    ::munmap(map, static_cast<std::size_t>(info.st_size));
    return bytes;
}

// Exiv2 alone: open, read the metadata, copy out the preview ReadEmbeddedPreview would choose.
double BareExiv2Ms(const std::string& path, bool largest) {
    QElapsedTimer timer;
    timer.start();
    auto image = Exiv2::ImageFactory::open(path, false);
    image->readMetadata();
    Exiv2::PreviewManager manager(*image);
    const Exiv2::PreviewPropertiesList previews = manager.getPreviewProperties();
    if (previews.empty())
        return -1;
    const Exiv2::PreviewImage preview = manager.getPreviewImage(largest ? previews.back() : previews.front());
    return preview.size() == 0 ? -1 : Ms(timer.nsecsElapsed());
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
    const bool keepArenas = argc > 1 && std::strcmp(argv[1], "--keep-arenas") == 0;
    if (!keepArenas)
        ReturnLargeBuffersToSystem(); // as the program does
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
        // Read-ahead never takes the last worker, which waits for the file the user asks for.
        std::printf("\nUser-interface thread while %d large JPEGs are read ahead in the background (%d at a time: "
                    "one of the %d workers stays free for the shown file)\n",
                    kBackgroundFiles, std::max(1, loader.maxRunning() - 1), loader.maxRunning());
        std::printf("  %-52s %9.2f s  (%.1f images/s)\n", "time for all decodes", seconds, kBackgroundFiles / seconds);
        std::printf("  %-52s %9.2f ms\n", "longest gap between 1 ms ticks, idle beforehand",
                    idleGaps.empty() ? 0 : *std::max_element(idleGaps.begin(), idleGaps.end()));
        std::printf("  %-52s %9.2f ms\n", "99th percentile gap while decoding", Percentile(busyGaps, 0.99));
        allOk &=
            Report("longest gap while decoding", *std::max_element(busyGaps.begin(), busyGaps.end()), kFrameMs, "ms");
        std::printf("  %-52s %9d of %d\n", "images cached afterwards", loader.cacheCount(), kBackgroundFiles);
    }

    // 4. Stepping through a long list in an enlarge-sized control at a person's pace, reading
    //    ahead as the board does: the cache must stay within its budget, and the process's
    //    resident memory within its start, the budget and 64 MiB.
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
            // The board's neighbours: the next few, then the one before.
            FilePathList next;
            for (int j = i + 1; j <= i + Board::kReadAheadForward && j < kSteppedEntries; ++j)
                next.push_back(paths[static_cast<std::size_t>(j)]);
            if (i > 0)
                next.push_back(paths[static_cast<std::size_t>(i - 1)]);
            ctl.ReadAhead(next);
            mostBytes = std::max(mostBytes, loader.cacheBytes());
            mostCount = std::max(mostCount, loader.cacheCount());
            mostResident = std::max(mostResident, ResidentBytes());
            Spin(kStepPaceMs);
        }
        const qint64 entryBytes = ctl.image().sizeInBytes();
        std::printf("\nStepping through %d entries (hard links to %zu files of 2400 x 1600) at %d x %d, one every %d "
                    "ms, reading %d ahead and 1 behind; freed buffers %s\n",
                    kSteppedEntries, distinct.size(), ctl.decodeSize().width(), ctl.decodeSize().height(), kStepPaceMs,
                    Board::kReadAheadForward,
                    keepArenas ? "kept by the C library (--keep-arenas)" : "returned to the system");
        std::printf("  %-52s %9.2f s\n", "time", Ms(clock.nsecsElapsed()) / 1000);
        std::printf("  %-52s %9d of %d\n", "entries already decoded when shown (read ahead)", shownAtOnce,
                    kSteppedEntries);
        std::printf("  %-52s %9.2f MiB each, %d at most\n", "cached images", MiB(entryBytes), mostCount);
        std::printf("  %-52s %9.1f MiB -> %.1f MiB (highest %.1f MiB)\n", "resident memory", MiB(residentBefore),
                    MiB(ResidentBytes()), MiB(mostResident));
        allOk &=
            Report("most cache bytes (budget: the default, 192 MiB)", MiB(mostBytes), MiB(loader.cacheBudget()), "MiB");
        allOk &= Report("highest resident memory (start + budget + 64 MiB)", MiB(mostResident),
                        MiB(residentBefore + loader.cacheBudget() + (qint64{64} << 20)), "MiB");
    }

    // 5. Reading an embedded preview: a camera-like 24 MP JPEG with its EXIF thumbnail, and a
    //    raw-like TIFF of 24 MB holding a 1620 x 1080 preview; against Exiv2 alone, and how much
    //    of the file is read.
    {
        const std::string camera = Native(dir.filePath(QStringLiteral("camera.jpg")));
        const QByteArray thumbnail = testing::EncodeImage(testing::PhotoLikeImage(QSize(160, 120), 5), "jpeg", 85);
        if (!QFile::copy(largeName, QFile::decodeName(QByteArray::fromStdString(camera))) ||
            !testing::AddExifThumbnail(camera, thumbnail)) {
            std::fprintf(stderr, "cannot make %s\n", camera.c_str());
            return 2;
        }
        const std::string raw = Native(dir.filePath(QStringLiteral("camera.dng")));
        const QByteArray rawPreview = testing::EncodeImage(testing::PhotoLikeImage(QSize(1620, 1080), 6), "jpeg", 90);
        if (!testing::WriteNativeFile(raw, testing::RawLikeFile(QSize(6000, 4000), rawPreview, 1, 24u << 20))) {
            std::fprintf(stderr, "cannot make %s\n", raw.c_str());
            return 2;
        }
        const QSize enlarge(1200, 800);
        struct Case {
            const char* name;
            std::string path;
            QSize target;
            PreviewPick pick;
        } cases[] = {
            {"24 MP JPEG, EXIF thumbnail, pane size", camera, kPane, PreviewPick::SmallestCovering},
            {"raw-like TIFF, largest preview, enlarge size", raw, enlarge, PreviewPick::Largest},
        };
        std::printf("\nReading an embedded preview, median of %d runs (file in the page cache unless said)\n",
                    kPreviewRuns);
        for (const Case& c : cases) {
            std::vector<double> ours, bare;
            for (int run = 0; run < kPreviewRuns; ++run) {
                QElapsedTimer timer;
                timer.start();
                const QImage image = ReadEmbeddedPreview(c.path, c.target, c.pick);
                ours.push_back(image.isNull() ? -1 : Ms(timer.nsecsElapsed()));
                bare.push_back(BareExiv2Ms(c.path, c.pick == PreviewPick::Largest));
            }
            Evict(c.path);
            const qint64 readBefore = ReadCallBytes();
            const QImage image = ReadEmbeddedPreview(c.path, c.target, c.pick);
            const qint64 readCalls = ReadCallBytes() - readBefore;
            const qint64 fetched = CachedBytes(c.path);
            const qint64 size = QFileInfo(QFile::decodeName(QByteArray::fromStdString(c.path))).size();
            std::printf("  %s (%.1f MB): preview %d x %d\n", c.name, size / 1e6, image.width(), image.height());
            std::printf("    %-50s %9.2f ms\n", "ReadEmbeddedPreview (read, decode, fit, turn)", Median(ours));
            std::printf("    %-50s %9.2f ms\n", "Exiv2 alone (open, metadata, copy the preview)", Median(bare));
            std::printf("    %-50s %9.2f ms\n", "difference: the preview's decode and fit",
                        Median(ours) - Median(bare));
            std::printf("    %-50s %9.1f KB of %.1f MB (read calls %.1f KB)\n", "file brought from disk, cold cache",
                        fetched / 1024.0, size / 1e6, readCalls / 1024.0);
            allOk &= fetched >= 0 && fetched < size / 4;
        }
    }

    std::printf("\nWhole run: %.1f s. %s\n", Ms(total.nsecsElapsed()) / 1000,
                allOk ? "All limits met." : "A limit was MISSED.");
    return allOk ? 0 : 1;
}
