#include "../support/temp_dir.h"
#include "../support/test_images.h"
#include "thumbs/file_decode.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtGlobal>
#include <cstdlib>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

// The mean difference of the channels of two images of one size: a part decoded alone may round a
// little differently at the borders of its blocks.
double MeanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * x.width() * x.height());
}

TEST(RegionDecode, APartOfAJpegIsThatPartOfTheWholePictureHoweverTheFileIsTurned) {
    testing::TempDir dir;
    const QByteArray jpeg = testing::EncodeImage(testing::PhotoLikeImage(QSize(1600, 1200), 7), "jpeg", 95);
    const PictureRegion region{{0.2, 0.95}, QSize(500, 300)};
    for (int orientation : {1, 2, 3, 4, 5, 6, 7, 8}) {
        SCOPED_TRACE(orientation);
        const std::string path = dir.Native(QStringLiteral("turned%1.jpg").arg(orientation));
        ASSERT_TRUE(testing::WriteNativeFile(path, testing::WithExifOrientation(jpeg, orientation)));
        const QImage whole = DecodeFile(path, kFullSizeTarget, nullptr).image;
        ASSERT_FALSE(PlacementOf(whole));
        const QImage part = DecodeFile(path, kFullSizeTarget, nullptr, region).image;
        const std::optional<RegionPlacement> placed = PlacementOf(part);
        ASSERT_TRUE(placed);
        EXPECT_EQ(placed->picture, whole.size());
        // Moved inside the picture where the point lies near its edge.
        EXPECT_EQ(placed->rect, RegionRect(region, whole.size()));
        EXPECT_EQ(placed->rect.bottom(), whole.height() - 1);
        EXPECT_LT(MeanDifference(part, whole.copy(placed->rect)), 2.0);
    }

    // A progressive JPEG, as some phones and web tools write them.
    {
        QByteArray progressive;
        QBuffer out(&progressive);
        out.open(QIODevice::WriteOnly);
        QImageWriter writer(&out, "jpeg");
        writer.setProgressiveScanWrite(true);
        ASSERT_TRUE(writer.write(testing::PhotoLikeImage(QSize(1600, 1200), 7)));
        const std::string path = dir.Native(QStringLiteral("progressive.jpg"));
        ASSERT_TRUE(testing::WriteNativeFile(path, progressive));
        const QImage whole = DecodeFile(path, kFullSizeTarget, nullptr).image;
        const QImage part = DecodeFile(path, kFullSizeTarget, nullptr, region).image;
        const std::optional<RegionPlacement> placed = PlacementOf(part);
        ASSERT_TRUE(placed);
        EXPECT_LT(MeanDifference(part, whole.copy(placed->rect)), 2.0);
    }

    // The whole picture where the part would be all of it, and from a decoder that cannot decode a part.
    const std::string small = dir.Native(QStringLiteral("small.jpg"));
    ASSERT_TRUE(testing::WriteNativeFile(small, jpeg));
    EXPECT_FALSE(PlacementOf(DecodeFile(small, kFullSizeTarget, nullptr, {{0.5, 0.5}, QSize(4000, 4000)}).image));
    const std::string png = testing::WriteImageFile(dir.Native(QStringLiteral("picture.png")), QSize(400, 300), "png");
    const QImage fromPng = DecodeFile(png, kFullSizeTarget, nullptr, region).image;
    EXPECT_EQ(fromPng.size(), QSize(400, 300));
    EXPECT_FALSE(PlacementOf(fromPng));
}

} // namespace
} // namespace pelldrake
