#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <utility>

class QPainter;

namespace pelldrake {

struct PictureHistogram;

// What the enlarge window draws over each of its pictures, at any zoom.
struct PictureOverlays {
    bool shootingInfo = false; // one line of shooting data on a band over the bottom
    bool histogram = false;    // the levels and the clipped shares in the top right corner
};

// visible: the part of the picture in view, where the overlays go.
void PaintShootingBand(QPainter& painter, const QRectF& visible, const QString& line);
void PaintHistogram(QPainter& painter, const QRectF& visible, const PictureHistogram& histogram);

// The tint last made, kept while the same part of the same picture is in view.
struct ClippingTintCache {
    std::pair<qint64, QRect> of; // the picture's cache key, the part tinted
    QImage tint;
};
// Red over the clipped highlights of picture, blue over its clipped shadows, where it is drawn in
// shown (the rectangle of the whole picture) and in view.
void PaintClippingTint(QPainter& painter, const QImage& picture, const QRectF& shown, const QRectF& visible,
                       ClippingTintCache& cache);

} // namespace pelldrake
