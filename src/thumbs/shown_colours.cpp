#include "thumbs/shown_colours.h"

#include <QPointF>
#include <mutex>

namespace pelldrake {
namespace {

std::mutex screenMutex;
QColorSpace& Screen() {
    static QColorSpace screen(QColorSpace::SRgb);
    return screen;
}

} // namespace

void SetScreenColourSpace(const QColorSpace& space) {
    const std::lock_guard lock(screenMutex);
    Screen() = space.isValid() ? space : QColorSpace(QColorSpace::SRgb);
}

QColorSpace ScreenColourSpace() {
    const std::lock_guard lock(screenMutex);
    return Screen();
}

QImage InScreenColours(QImage image, const QColorSpace& screen) {
    if (image.isNull())
        return image;
    const QColorSpace own = image.colorSpace().isValid() ? image.colorSpace() : QColorSpace(QColorSpace::SRgb);
    const QColorSpace to = screen.isValid() ? screen : QColorSpace(QColorSpace::SRgb);
    if (own == to) {
        image.setColorSpace(to);
        return image;
    }
    // Qt converts 32-bit and 64-bit pixels only; paletted and grey pictures are drawn as 32-bit
    // anyway.
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
        break;
    default:
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    }
    image.setColorSpace(own);
    image.convertToColorSpace(to);
    return image;
}

QColorSpace FromCicp(int primaries, int transfer) {
    QColorSpace::TransferFunction function = QColorSpace::TransferFunction::SRgb;
    float gamma = 0.0f;
    switch (transfer) {
    case 1:  // BT.709
    case 2:  // unspecified
    case 6:  // BT.601
    case 13: // sRGB
    case 14: // BT.2020, 10 bits
    case 15: // BT.2020, 12 bits
        // The video curves differ from sRGB's in the darkest tones only, which a screen set up
        // for sRGB shows the same way.
        break;
    case 4:
        function = QColorSpace::TransferFunction::Gamma;
        gamma = 2.2f;
        break;
    case 5:
        function = QColorSpace::TransferFunction::Gamma;
        gamma = 2.8f;
        break;
    case 8:
        function = QColorSpace::TransferFunction::Linear;
        break;
    default:
        return {};
    }
    const QPointF d65(0.3127, 0.3290);
    switch (primaries) {
    case 1: // BT.709, the primaries of sRGB
    case 2: // unspecified
        return QColorSpace(QColorSpace::Primaries::SRgb, function, gamma);
    case 12: // Display P3
        return QColorSpace(QColorSpace::Primaries::DciP3D65, function, gamma);
    case 9: // BT.2020
        return QColorSpace(d65, QPointF(0.708, 0.292), QPointF(0.170, 0.797), QPointF(0.131, 0.046), function, gamma);
    default:
        return {};
    }
}

} // namespace pelldrake
