#pragma once

#include <QFont>
#include <QRect>

namespace pelldrake {

// The dialog font: a Japanese proportional gothic at 9 points, whichever the machine has.
QFont DialogFont();

// Turns dialog units into pixels from the font's metrics, as dialog templates are meant:
// a horizontal unit is a quarter of the average letter width, a vertical one an eighth of the
// font height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const { return (units * averageWidth_ + 2) / 4; }
    int Y(int units) const { return (units * height_ + 4) / 8; }
    QRect ToPixels(const QRect& units) const;
    QSize ToPixels(const QSize& units) const { return {X(units.width()), Y(units.height())}; }

private:
    int averageWidth_;
    int height_;
};

} // namespace pelldrake
