#include "thumbs/picture_histogram.h"

#include "resources/strings.h"

namespace pelldrake {

namespace {

QImage AsRgb32(const QImage& picture) {
    return picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
               ? picture
               : picture.convertToFormat(QImage::Format_RGB32);
}

constexpr QRgb kHighlightTint = qRgba(255, 0, 0, 200);
constexpr QRgb kShadowTint = qRgba(0, 64, 255, 200);

} // namespace

QString PictureHistogram::ClippingText() const {
    return strings::Utf8(strings::kClippingFormat).arg(HighlightPercent(), 0, 'f', 1).arg(ShadowPercent(), 0, 'f', 1);
}

PictureHistogram ComputeHistogram(const QImage& picture) {
    PictureHistogram histogram;
    if (picture.isNull())
        return histogram;
    const QImage pixels = AsRgb32(picture);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const int r = qRed(line[x]);
            const int g = qGreen(line[x]);
            const int b = qBlue(line[x]);
            ++histogram.counts[PictureHistogram::Red][r];
            ++histogram.counts[PictureHistogram::Green][g];
            ++histogram.counts[PictureHistogram::Blue][b];
            // Rec. 709 weights in 1/256ths, as the eye weighs the three.
            ++histogram.counts[PictureHistogram::Luminance][(54 * r + 183 * g + 19 * b) >> 8];
            histogram.highlights += (r == 255 || g == 255 || b == 255) ? 1 : 0;
            histogram.shadows += (r == 0 || g == 0 || b == 0) ? 1 : 0;
        }
    }
    histogram.pixels = std::uint64_t(pixels.width()) * std::uint64_t(pixels.height());
    return histogram;
}

QImage ClippingTint(const QImage& picture) {
    if (picture.isNull())
        return {};
    const QImage pixels = AsRgb32(picture);
    QImage tint(pixels.size(), QImage::Format_ARGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(tint.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const int r = qRed(line[x]);
            const int g = qGreen(line[x]);
            const int b = qBlue(line[x]);
            out[x] = (r == 255 || g == 255 || b == 255) ? kHighlightTint
                     : (r == 0 || g == 0 || b == 0)     ? kShadowTint
                                                        : 0;
        }
    }
    return tint;
}

} // namespace pelldrake
