#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <optional>

namespace pelldrake {

// Where a picture lies in a view, fitted or zoomed. Sizes of pictures are in image pixels, the view
// and the rectangles returned in logical pixels; a zoom scale counts device pixels per image pixel,
// so that 1 shows one image pixel on one device pixel.

// A point of the picture (x and y as fractions of its width and height) held at a place of the view
// (fractions of the view's width and height). Kept from one file to the next, so that the same spot of
// every frame of a burst comes to the same place.
struct ZoomAnchor {
    QPointF picture{0.5, 0.5};
    QPointF view{0.5, 0.5};
};

// The zoom steps of the wheel above fitting the picture.
inline constexpr double kZoomSteps[] = {0.25, 0.5, 1.0, 2.0, 4.0};

// The picture fitted to the view and centred, as the thumbnail controls draw it: decoded is the
// size of the decoded picture, decodeSize the view's area in device pixels.
QRectF FittedPictureRect(QSize decoded, QSize decodeSize, qreal deviceRatio, const QRect& area);

// The picture of natural size zoomed by scale with anchor's point at anchor's place, moved as
// little as needed so that it leaves no gap where it is larger than the view, and centred where
// it is smaller.
QRectF ZoomedPictureRect(QSize natural, double scale, qreal deviceRatio, const QRectF& view, const ZoomAnchor& anchor);

// The point of the picture drawn in rect that lies under position, as fractions of the picture.
QPointF PictureFractionAt(const QRectF& rect, const QPointF& position);
// position as fractions of the view.
QPointF ViewFractionOf(const QRectF& view, const QPointF& position);

// The next wheel step from current (nothing for fitted, whose own scale is fitScale): in, the
// smallest step above; out, the largest step below, and fitted once no step lies above fitScale.
std::optional<double> NextZoomStep(std::optional<double> current, double fitScale, bool in);

} // namespace pelldrake
