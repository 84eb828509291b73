#include "resources/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pelldrake {

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    // Two cards behind, fanned out, then the front card with a small landscape.
    const QColor outline(40, 52, 70);
    painter.setPen(QPen(outline, 2));
    painter.save();
    painter.translate(32, 34);
    painter.rotate(-14);
    painter.setBrush(QColor(233, 180, 76));
    painter.drawRoundedRect(QRectF(-22, -18, 40, 32), 3, 3);
    painter.rotate(24);
    painter.setBrush(QColor(98, 160, 214));
    painter.drawRoundedRect(QRectF(-18, -18, 40, 32), 3, 3);
    painter.restore();

    const QRectF front(10, 20, 44, 34);
    painter.setBrush(QColor(250, 250, 246));
    painter.drawRoundedRect(front, 3, 3);
    const QRectF picture = front.adjusted(5, 5, -5, -5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(170, 214, 240));
    painter.drawRect(picture);
    QPainterPath hills;
    hills.moveTo(picture.bottomLeft());
    hills.lineTo(picture.left() + 10, picture.top() + 10);
    hills.lineTo(picture.left() + 18, picture.top() + 17);
    hills.lineTo(picture.left() + 26, picture.top() + 8);
    hills.lineTo(picture.bottomRight());
    hills.closeSubpath();
    painter.setBrush(QColor(72, 140, 84));
    painter.drawPath(hills);
    painter.setBrush(QColor(245, 200, 60));
    painter.drawEllipse(QPointF(picture.right() - 6, picture.top() + 6), 3, 3);
    return image;
}

QIcon AppIcon() {
    static const QIcon icon = [] {
        QIcon made;
        for (int size : {16, 24, 32, 48, 64, 128, 256})
            made.addPixmap(QPixmap::fromImage(AppIconImage(size)));
        return made;
    }();
    return icon;
}

} // namespace pelldrake
