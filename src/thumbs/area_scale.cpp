#include "thumbs/area_scale.h"

#include <array>
#include <cstdint>
#include <vector>

namespace pelldrake {

namespace {

// Where target index i begins in a source of extent source shrunk to target.
int SourceStart(int i, int source, int target) {
    return static_cast<int>(static_cast<std::int64_t>(i) * source / target);
}

} // namespace

QImage AreaScaled(const QImage& source, QSize size) {
    if (source.isNull() || size.isEmpty())
        return {};
    if (size.width() >= source.width() && size.height() >= source.height())
        return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage::Format format = source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const int width = source.width();
    const int height = source.height();
    const int outWidth = std::min(size.width(), width);
    const int outHeight = std::min(size.height(), height);
    QImage out(outWidth, outHeight, format);
    if (out.isNull())
        return {};

    std::vector<int> columnOf(static_cast<std::size_t>(width));
    std::vector<std::int64_t> columnCount(static_cast<std::size_t>(outWidth), 0);
    for (int x = 0, column = 0; x < width; ++x) {
        while (column + 1 < outWidth && x >= SourceStart(column + 1, width, outWidth))
            ++column;
        columnOf[static_cast<std::size_t>(x)] = column;
        ++columnCount[static_cast<std::size_t>(column)];
    }
    std::vector<std::array<std::uint64_t, 4>> sums(static_cast<std::size_t>(outWidth));
    for (int row = 0; row < outHeight; ++row) {
        const int top = SourceStart(row, height, outHeight);
        const int bottom = row + 1 < outHeight ? SourceStart(row + 1, height, outHeight) : height;
        const QImage strip = source.copy(0, top, width, bottom - top).convertToFormat(format);
        sums.assign(sums.size(), {0, 0, 0, 0});
        for (int y = 0; y < strip.height(); ++y) {
            const auto* pixels = reinterpret_cast<const QRgb*>(strip.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                auto& sum = sums[static_cast<std::size_t>(columnOf[static_cast<std::size_t>(x)])];
                const QRgb pixel = pixels[x];
                sum[0] += qRed(pixel);
                sum[1] += qGreen(pixel);
                sum[2] += qBlue(pixel);
                sum[3] += qAlpha(pixel);
            }
        }
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(row));
        for (int column = 0; column < outWidth; ++column) {
            const auto& sum = sums[static_cast<std::size_t>(column)];
            const std::uint64_t count =
                static_cast<std::uint64_t>(columnCount[static_cast<std::size_t>(column)]) * strip.height();
            const auto mean = [count](std::uint64_t total) { return static_cast<int>((total + count / 2) / count); };
            line[column] =
                qRgba(mean(sum[0]), mean(sum[1]), mean(sum[2]), format == QImage::Format_RGB32 ? 255 : mean(sum[3]));
        }
    }
    return out;
}

} // namespace pelldrake
