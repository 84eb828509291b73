#include "resources/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>

namespace pelldrake {

QFont DialogFont() {
    QFont font;
    const QStringList families{QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                               QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Sans Serif")};
    font.setFamilies(families);
    font.setPointSize(9);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    averageWidth_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    height_ = metrics.height();
}

QRect DialogUnits::ToPixels(const QRect& units) const {
    // Edges are converted, not sizes, so that neighbours stay neighbours after rounding.
    const int left = X(units.left());
    const int top = Y(units.top());
    return QRect(left, top, X(units.left() + units.width()) - left, Y(units.top() + units.height()) - top);
}

} // namespace pelldrake
