#include "thumbs/ui/picture_overlays.h"

#include "thumbs/picture_histogram.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace pelldrake {

namespace {

// Dark enough to read white text on over a white sky, light enough to see what lies under it.
const QColor kBand(0, 0, 0, 150);
constexpr double kMargin = 4;
constexpr double kGraphWidth = 160;
constexpr double kGraphHeight = 64;

// The levels of one channel as an outline over the graph's rectangle, scaled so that the tallest
// level between the two ends fills it: the clipped ends would flatten everything else.
QPainterPath Levels(const std::array<std::uint32_t, 256>& counts, const QRectF& graph, bool closed) {
    const std::uint32_t tallest = std::max<std::uint32_t>(1, *std::max_element(counts.begin() + 1, counts.end() - 1));
    QPainterPath path;
    if (closed)
        path.moveTo(graph.bottomLeft());
    for (int level = 0; level < 256; ++level) {
        const double height = std::min(1.0, double(counts[static_cast<std::size_t>(level)]) / tallest);
        const QPointF point(graph.left() + graph.width() * level / 255.0, graph.bottom() - graph.height() * height);
        if (level == 0 && !closed)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    if (closed) {
        path.lineTo(graph.bottomRight());
        path.closeSubpath();
    }
    return path;
}

} // namespace

void PaintShootingBand(QPainter& painter, const QRectF& visible, const QString& line) {
    if (visible.isEmpty() || line.isEmpty())
        return;
    const QFontMetricsF metrics(painter.font());
    const double height = std::min(visible.height(), metrics.height() + 2 * kMargin);
    const QRectF band(visible.left(), visible.bottom() - height, visible.width(), height);
    painter.save();
    painter.fillRect(band, kBand);
    painter.setPen(Qt::white);
    const QRectF text = band.adjusted(2 * kMargin, 0, -2 * kMargin, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(line, Qt::ElideRight, text.width()));
    painter.restore();
}

void PaintHistogram(QPainter& painter, const QRectF& visible, const PictureHistogram& histogram) {
    if (visible.isEmpty() || histogram.pixels == 0)
        return;
    const QFontMetricsF metrics(painter.font());
    const QString clipping = histogram.ClippingText();
    // As small as a small window needs, never wider than a third of the picture in view.
    const double width = std::clamp(visible.width() / 3, 48.0, kGraphWidth);
    const double graphHeight = std::min(kGraphHeight, width * 0.4);
    // The shares printed below the graph keep their room while the picture leaves it.
    const double inner = std::min(std::max(width, metrics.horizontalAdvance(clipping)), visible.width() - 4 * kMargin);
    if (inner < width)
        return;
    const QRectF panel(visible.right() - inner - 3 * kMargin, visible.top() + kMargin, inner + 2 * kMargin,
                       graphHeight + metrics.height() + 3 * kMargin);
    const QRectF graph(panel.right() - kMargin - width, panel.top() + kMargin, width, graphHeight);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(panel, kBand);
    painter.setPen(Qt::NoPen);
    // Added light: where the three channels overlap the graph turns white, as on a camera's screen.
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    const QColor channels[] = {QColor(200, 40, 40), QColor(40, 170, 40), QColor(50, 80, 220)};
    for (int channel = PictureHistogram::Red; channel <= PictureHistogram::Blue; ++channel) {
        painter.setBrush(channels[channel]);
        painter.drawPath(Levels(histogram.counts[static_cast<std::size_t>(channel)], graph, true));
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 1.2));
    painter.drawPath(Levels(histogram.counts[PictureHistogram::Luminance], graph, false));
    painter.setPen(Qt::white);
    const QRectF text(panel.left() + kMargin, graph.bottom() + kMargin, panel.width() - 2 * kMargin, metrics.height());
    painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter,
                     metrics.elidedText(clipping, Qt::ElideLeft, text.width()));
    painter.restore();
}

void PaintClippingTint(QPainter& painter, const QImage& picture, const QRectF& shown, const QRectF& visible,
                       ClippingTintCache& cache) {
    if (picture.isNull() || shown.isEmpty())
        return;
    // Only the part in view, at the picture's own pixels: zoomed, a picture of a camera is too large
    // to tint whole at every press of Shift.
    const double perPixel = picture.width() / shown.width();
    const QRect source = QRectF((visible.x() - shown.x()) * perPixel, (visible.y() - shown.y()) * perPixel,
                                visible.width() * perPixel, visible.height() * perPixel)
                             .toAlignedRect()
                             .intersected(picture.rect());
    if (source.isEmpty())
        return;
    if (cache.of != std::pair(picture.cacheKey(), source)) {
        cache.tint = ClippingTint(source == picture.rect() ? picture : picture.copy(source));
        cache.of = {picture.cacheKey(), source};
    }
    painter.drawImage(QRectF(shown.x() + source.x() / perPixel, shown.y() + source.y() / perPixel,
                             source.width() / perPixel, source.height() / perPixel),
                      cache.tint);
}

} // namespace pelldrake
