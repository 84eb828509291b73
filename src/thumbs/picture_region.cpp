#include "thumbs/picture_region.h"

#include <QString>
#include <algorithm>

namespace pelldrake {

namespace {

// The picture's size travels as the image's text: QImage keeps an offset but no size beyond its own.
const QString kPictureSizeKey = QStringLiteral("pelldrake-picture-size");

// [centre - extent / 2, centre + extent / 2) moved inside [0, length), cut to it.
std::pair<int, int> Span(double centre, int extent, int length) {
    const int size = std::min(extent, length);
    const int start = static_cast<int>(centre * length - size / 2.0);
    return {std::clamp(start, 0, length - size), size};
}

} // namespace

QRect RegionRect(const PictureRegion& region, QSize picture) {
    if (picture.isEmpty())
        return {};
    if (region.isWhole())
        return QRect(QPoint(0, 0), picture);
    const auto [left, width] = Span(region.centre.x(), region.extent.width(), picture.width());
    const auto [top, height] = Span(region.centre.y(), region.extent.height(), picture.height());
    return QRect(left, top, width, height);
}

QRect StoredRect(const QRect& rect, QSize stored, QImageIOHandler::Transformations turn) {
    // Undone in the reverse order Qt applies them: mirror, flip, then a quarter turn clockwise.
    QRect out = rect;
    if (turn.testFlag(QImageIOHandler::TransformationRotate90))
        out = QRect(out.top(), stored.height() - out.left() - out.width(), out.height(), out.width());
    if (turn.testFlag(QImageIOHandler::TransformationFlip))
        out.moveTop(stored.height() - out.top() - out.height());
    if (turn.testFlag(QImageIOHandler::TransformationMirror))
        out.moveLeft(stored.width() - out.left() - out.width());
    return out;
}

void SetPlacement(QImage& image, const RegionPlacement& placement) {
    image.setOffset(placement.rect.topLeft());
    image.setText(kPictureSizeKey,
                  QStringLiteral("%1x%2").arg(placement.picture.width()).arg(placement.picture.height()));
}

std::optional<RegionPlacement> PlacementOf(const QImage& image) {
    const QStringList size = image.text(kPictureSizeKey).split(QLatin1Char('x'));
    if (image.isNull() || size.size() != 2)
        return std::nullopt;
    return RegionPlacement{QRect(image.offset(), image.size()), QSize(size[0].toInt(), size[1].toInt())};
}

} // namespace pelldrake
