#include "thumbs/zoom_geometry.h"

#include <QRect>
#include <algorithm>
#include <cmath>

namespace pelldrake {

namespace {

// Along one axis: where a picture of extent size starts so that its point at fraction lies at
// the view's place, kept from leaving a gap.
qreal PlacedStart(qreal viewStart, qreal viewExtent, qreal size, qreal fraction, qreal place) {
    if (size <= viewExtent)
        return viewStart + (viewExtent - size) / 2;
    const qreal start = viewStart + place * viewExtent - fraction * size;
    return std::clamp(start, viewStart + viewExtent - size, viewStart);
}

} // namespace

QRectF FittedPictureRect(QSize decoded, QSize decodeSize, qreal deviceRatio, const QRect& area) {
    if (decoded.isEmpty() || decodeSize.isEmpty())
        return {};
    const QSizeF shown = QSizeF(decoded.scaled(decodeSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1))) / deviceRatio;
    // Whole pixels, so that a picture decoded for this size is drawn pixel for pixel.
    const QPointF corner(std::floor(area.x() + (area.width() - shown.width()) / 2),
                         std::floor(area.y() + (area.height() - shown.height()) / 2));
    return QRectF(corner, shown);
}

QRectF ZoomedPictureRect(QSize natural, double scale, qreal deviceRatio, const QRectF& view, const ZoomAnchor& anchor) {
    if (natural.isEmpty() || view.isEmpty())
        return {};
    const QSizeF size = QSizeF(natural) * (scale / deviceRatio);
    const qreal left = PlacedStart(view.x(), view.width(), size.width(), anchor.picture.x(), anchor.view.x());
    const qreal top = PlacedStart(view.y(), view.height(), size.height(), anchor.picture.y(), anchor.view.y());
    // Whole device pixels: at 100 % every image pixel lands on one.
    return QRectF(QPointF(std::round(left * deviceRatio), std::round(top * deviceRatio)) / deviceRatio, size);
}

QPointF PictureFractionAt(const QRectF& rect, const QPointF& position) {
    if (rect.isEmpty())
        return {0.5, 0.5};
    return QPointF(std::clamp((position.x() - rect.x()) / rect.width(), 0.0, 1.0),
                   std::clamp((position.y() - rect.y()) / rect.height(), 0.0, 1.0));
}

QPointF ViewFractionOf(const QRectF& view, const QPointF& position) {
    if (view.isEmpty())
        return {0.5, 0.5};
    return QPointF((position.x() - view.x()) / view.width(), (position.y() - view.y()) / view.height());
}

std::optional<double> NextZoomStep(std::optional<double> current, double fitScale, bool in) {
    const double from = current.value_or(fitScale);
    if (in) {
        for (double step : kZoomSteps) {
            if (step > from * 1.0001)
                return step;
        }
        return current;
    }
    for (auto step = std::rbegin(kZoomSteps); step != std::rend(kZoomSteps); ++step) {
        if (*step < from * 0.9999 && *step > fitScale)
            return *step;
    }
    return std::nullopt;
}

} // namespace pelldrake
