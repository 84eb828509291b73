#include "thumbs/area_shrinker.h"

#include <algorithm>

namespace pelldrake {

namespace {

// 255 times this many pixels still fits in 32 bits.
constexpr std::int64_t kMaxPixelsPerBin = 4096 * 4096;

// Which of extent bins each source index falls on: bin b begins at b * extent / bins, as in
// AreaScaled.
std::vector<int> BinsOf(int extent, int bins) {
    std::vector<int> binOf(static_cast<std::size_t>(extent));
    for (int i = 0, bin = 0; i < extent; ++i) {
        while (bin + 1 < bins && i >= static_cast<std::int64_t>(bin + 1) * extent / bins)
            ++bin;
        binOf[static_cast<std::size_t>(i)] = bin;
    }
    return binOf;
}

int CeilDiv(int a, int b) {
    return (a + b - 1) / b;
}

} // namespace

AreaShrinker::AreaShrinker(QSize sourceSize, QSize size) : source_(sourceSize), wanted_(size) {
    if (source_.isEmpty() || wanted_.isEmpty())
        return;
    binned_ =
        wanted_.boundedTo(source_).expandedTo(QSize(CeilDiv(source_.width(), 4096), CeilDiv(source_.height(), 4096)));
    static_assert(kMaxPixelsPerBin * 255 < (std::int64_t{1} << 32));
    columnOf_ = BinsOf(source_.width(), binned_.width());
    rowOf_ = BinsOf(source_.height(), binned_.height());
    sums_.assign(static_cast<std::size_t>(binned_.width()) * static_cast<std::size_t>(binned_.height()) * 4, 0);
}

void AreaShrinker::Add(int x, int y, int count, const std::uint8_t* pixels, int channels, bool premultiplied) {
    if (sums_.empty() || y < 0 || y >= source_.height() || x < 0 || count <= 0 || x >= source_.width())
        return;
    count = std::min(count, source_.width() - x);
    std::uint32_t* row =
        sums_.data() + static_cast<std::size_t>(rowOf_[static_cast<std::size_t>(y)]) * binned_.width() * 4;
    if (channels == 4)
        alpha_ = true;
    for (int i = 0; i < count; ++i, pixels += channels) {
        std::uint32_t* sum = row + static_cast<std::size_t>(columnOf_[static_cast<std::size_t>(x + i)]) * 4;
        if (channels == 4) {
            const std::uint32_t alpha = pixels[3];
            const auto times = [alpha, premultiplied](std::uint32_t value) {
                return premultiplied ? value : (value * alpha + 127) / 255;
            };
            sum[0] += times(pixels[0]);
            sum[1] += times(pixels[1]);
            sum[2] += times(pixels[2]);
            sum[3] += alpha;
        } else {
            sum[0] += pixels[0];
            sum[1] += pixels[1];
            sum[2] += pixels[2];
            sum[3] += 255;
        }
    }
}

QImage AreaShrinker::Result() const {
    if (sums_.empty())
        return {};
    QImage out(binned_, alpha_ ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (out.isNull())
        return {};
    const std::vector<int> columnCount = [this] {
        std::vector<int> counts(static_cast<std::size_t>(binned_.width()), 0);
        for (const int column : columnOf_)
            ++counts[static_cast<std::size_t>(column)];
        return counts;
    }();
    std::vector<int> rowCount(static_cast<std::size_t>(binned_.height()), 0);
    for (const int row : rowOf_)
        ++rowCount[static_cast<std::size_t>(row)];
    const std::uint32_t* sum = sums_.data();
    for (int row = 0; row < binned_.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(row));
        for (int column = 0; column < binned_.width(); ++column, sum += 4) {
            const std::uint32_t count = static_cast<std::uint32_t>(columnCount[static_cast<std::size_t>(column)]) *
                                        static_cast<std::uint32_t>(rowCount[static_cast<std::size_t>(row)]);
            const auto mean = [count](std::uint32_t total) {
                return static_cast<int>((std::uint64_t{total} + count / 2) / count);
            };
            line[column] = qRgba(mean(sum[0]), mean(sum[1]), mean(sum[2]), alpha_ ? mean(sum[3]) : 255);
        }
    }
    if (binned_.width() > wanted_.width() || binned_.height() > wanted_.height())
        return out.scaled(wanted_.boundedTo(binned_), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out;
}

} // namespace pelldrake
