#pragma once

#include <QImage>
#include <QImageIOHandler>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <optional>

namespace pelldrake {

// A part of a picture at its own size, around a point: what a zoomed view needs first, decoded in
// a fraction of the time of the whole picture by a decoder that can skip the rest. The centre is
// given as fractions of the picture and the extent in image pixels, so that the part can be asked
// for before the picture's size is known. An empty extent stands for the whole picture.
struct PictureRegion {
    QPointF centre{0.5, 0.5};
    QSize extent;

    bool isWhole() const { return extent.isEmpty(); }
    bool operator==(const PictureRegion& other) const = default;
};

// Where a decoded part lies in its picture, and the picture's own size (turned as shown).
struct RegionPlacement {
    QRect rect;
    QSize picture;

    bool isWhole() const { return rect == QRect(QPoint(0, 0), picture); }
};

// The rectangle of region in a picture of that size: centred on its point, moved inside the
// picture where it would stick out, and cut to the picture where it is larger.
QRect RegionRect(const PictureRegion& region, QSize picture);

// rect of the picture as shown, turned as the file says, in the pixels as stored (before the
// turn); stored is the size as stored.
QRect StoredRect(const QRect& rect, QSize stored, QImageIOHandler::Transformations turn);

// Marks a decoded part with its place, so that it carries it through the loader and its cache.
void SetPlacement(QImage& image, const RegionPlacement& placement);
// Empty for an image that is a whole picture, as every picture but a decoded part is.
std::optional<RegionPlacement> PlacementOf(const QImage& image);

} // namespace pelldrake
