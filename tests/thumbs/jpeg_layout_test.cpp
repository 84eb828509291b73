#include "thumbs/area_scale.h"
#include "thumbs/area_shrinker.h"
#include "thumbs/jpeg_layout.h"
#include "thumbs/spliced_device.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdlib>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

QByteArray Segment(char code, const QByteArray& payload) {
    const int length = static_cast<int>(payload.size()) + 2;
    return QByteArray("\xFF") + code + char(length >> 8) + char(length & 0xFF) + payload;
}

TEST(JpegLayout, CommentsAndForeignApplicationDataAreLeftOutOfWhatTheDecoderReads) {
    QImage picture(320, 240, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray plain;
    QBuffer out(&plain);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&out, "JPG"));

    // More segments than any camera writes, before the frame header: the decoder would keep them all.
    QByteArray padded = plain.left(2);
    for (int i = 0; i < 1500; ++i)
        padded += Segment('\xFE', QByteArray(200, 'c'));
    padded += Segment('\xED', "Photoshop 3.0" + QByteArray(1000, 'p')) + Segment('\xE1', "http://ns.adobe.com/xap/");
    padded += plain.mid(2);
    QBuffer file(&padded);
    file.open(QIODevice::ReadOnly);

    const std::optional<JpegLayout> layout = ReadJpegLayout(file);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->size, QSize(320, 240));
    EXPECT_FALSE(layout->progressive);
    SplicedDevice spliced(file, layout->decodable);
    EXPECT_EQ(spliced.readAll(), plain);
    spliced.seek(0);
    EXPECT_EQ(QImageReader(&spliced).read().size(), QSize(320, 240));

    QByteArray noFrame = plain.left(2) + Segment('\xFE', "x") + "\xFF\xDA";
    QBuffer broken(&noFrame);
    broken.open(QIODevice::ReadOnly);
    EXPECT_FALSE(ReadJpegLayout(broken));
}

TEST(AreaScale, EachTargetPixelIsTheMeanOfTheSourcePixelsOnIt) {
    QImage stripes(4, 2, QImage::Format_Grayscale8);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x)
            stripes.scanLine(y)[x] = static_cast<uchar>(x % 2 == 0 ? 0 : 200);
    }
    stripes.scanLine(1)[2] = 100; // the right half: 0, 200, 100, 200
    const QImage halved = AreaScaled(stripes, QSize(2, 1));
    ASSERT_EQ(halved.size(), QSize(2, 1));
    EXPECT_EQ(halved.format(), QImage::Format_RGB32);
    EXPECT_EQ(qGray(halved.pixel(0, 0)), 100);
    EXPECT_EQ(qGray(halved.pixel(1, 0)), 125);

    QImage clear(3, 3, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    clear.setPixel(1, 1, qRgba(255, 0, 0, 255));
    const QImage dot = AreaScaled(clear, QSize(1, 1));
    EXPECT_EQ(dot.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(qAlpha(dot.pixel(0, 0)), 28); // 255 / 9, rounded
}

TEST(AreaShrinker, PiecesInAnyOrderGiveTheMeansAreaScaledGives) {
    QImage source(7, 5, QImage::Format_RGBA8888);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            source.setPixel(x, y, qRgba(x * 30, y * 50, 200 - x * y * 5, 255 - x * 20));
    AreaShrinker shrinker(source.size(), QSize(3, 2));
    for (int y = 4; y >= 0; --y) { // rows and their pieces out of order, as a decoder's threads give them
        shrinker.Add(4, y, 3, source.constScanLine(y) + 4 * 4, 4, false);
        shrinker.Add(0, y, 4, source.constScanLine(y), 4, false);
    }
    const QImage shrunk = shrinker.Result();
    const QImage expected = AreaScaled(source, QSize(3, 2));
    ASSERT_EQ(shrunk.size(), expected.size());
    EXPECT_EQ(shrunk.format(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const QRgb a = shrunk.pixel(x, y), b = expected.pixel(x, y);
            EXPECT_LE(std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) +
                          std::abs(qAlpha(a) - qAlpha(b)),
                      4)
                << x << "," << y;
        }
    }
}

} // namespace
} // namespace pelldrake
