// Measures one decode of a picture in the loader, as the pane asks for it (fitted to 1000 x 750
// and in the screen's colours), against the outside library's own tool for the same file:
// heif-convert for HEIF (writing a JPEG, as a viewer would show it). The pictures: the phone's
// HEIC in tests/data (a grid of tiles with a Display P3 profile), a 12-megapixel HEIC made by
// heif-enc (one HEVC picture), and 24-megapixel JPEGs in sRGB and in Display P3, the latter also
// with the screen set to Display P3, where no colour conversion is needed: the difference is what
// managing colours costs a picture. Prints the median of --runs N (5) decodes of each.
//
// Run with QT_QPA_PLATFORM=offscreen, on a machine otherwise at rest.

#include "../tests/support/library_images.h"
#include "../tests/support/test_images.h"
#include "thumbs/image_loader.h"
#include "thumbs/shown_colours.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace pelldrake;

namespace {

const QSize kShown(1000, 750);

double MedianMs(int runs, const std::function<bool()>& once) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!once())
            return -1;
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double LoaderMs(const std::string& path, int runs) {
    return MedianMs(runs, [&path] { return !ImageLoader::Decode(path, kShown).isNull(); });
}

double HeifConvertMs(const std::string& path, const QString& out, int runs) {
    return MedianMs(runs, [&path, &out] {
        QProcess convert;
        convert.start(QStringLiteral("heif-convert"), {QString::fromStdString(path), out});
        return convert.waitForFinished(120000) && convert.exitCode() == 0;
    });
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    QTemporaryDir dir;
    const auto native = [&dir](const char* name) { return QFile::encodeName(dir.filePath(name)).toStdString(); };
    const std::string phone = PELLDRAKE_SOURCE_DIR "/tests/data/phone/IMG_5195.HEIC";
    const std::string source = testing::WriteImageFile(native("source.png"), QSize(4000, 3000), "png");
    const std::string single = testing::HeicFrom(source, native("single.heic"));
    QImage photo = testing::PhotoLikeImage(QSize(6000, 4000));
    const std::string srgb = native("srgb.jpg");
    testing::WriteNativeFile(srgb, testing::EncodeImage(photo, "jpeg", 90));
    photo.setColorSpace(QColorSpace::SRgb);
    const std::string p3 = native("p3.jpg");
    testing::WriteNativeFile(p3, testing::EncodeImage(photo.convertedToColorSpace(QColorSpace::DisplayP3), "jpeg", 90));
    if (single.empty()) {
        std::fprintf(stderr, "heif-enc failed (scripts/setup.sh installs it)\n");
        return 1;
    }
    const QString out = dir.filePath(QStringLiteral("out.jpg"));
    std::printf("one decode, median of %d, ms\n", runs);
    std::printf("%-44s %10s %14s\n", "picture", "loader", "heif-convert");
    std::printf("%-44s %10.0f %14.0f\n", "phone HEIC 2566 x 3313, tiles, P3 profile", LoaderMs(phone, runs),
                HeifConvertMs(phone, out, runs));
    std::printf("%-44s %10.0f %14.0f\n", "HEIC 4000 x 3000 by heif-enc, one picture", LoaderMs(single, runs),
                HeifConvertMs(single, out, runs));
    std::printf("%-44s %10.1f\n", "JPEG 6000 x 4000 sRGB", LoaderMs(srgb, runs));
    std::printf("%-44s %10.1f\n", "JPEG 6000 x 4000 P3, to an sRGB screen", LoaderMs(p3, runs));
    // The conversion alone, on the picture as the loader hands it over.
    QImage shown = ImageLoader::Decode(p3, kShown);
    shown.setColorSpace(QColorSpace::DisplayP3);
    std::printf("%-44s %10.2f\n", "its conversion alone, P3 to sRGB, 1000 x 667",
                MedianMs(runs * 4, [&shown] { return !InScreenColours(shown, QColorSpace::SRgb).isNull(); }));
    SetScreenColourSpace(QColorSpace::DisplayP3);
    std::printf("%-44s %10.1f\n", "JPEG 6000 x 4000 P3, to a P3 screen", LoaderMs(p3, runs));
    return 0;
}
