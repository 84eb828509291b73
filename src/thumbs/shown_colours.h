#pragma once

#include <QColorSpace>
#include <QImage>

namespace pelldrake {

// The colour space the screen shows: the profile the display announces, set once at start-up;
// sRGB until then and wherever none is announced or Qt cannot use it. Safe on any thread.
void SetScreenColourSpace(const QColorSpace& space);
QColorSpace ScreenColourSpace();

// image, whose pixels are in its own colour space (sRGB when it names none or one Qt cannot use),
// converted to screen and tagged with it. Formats Qt cannot convert are made 32-bit first.
QImage InScreenColours(QImage image, const QColorSpace& screen);

// The colour space an H.273 description names (the nclx box of a HEIF file): its colour primaries
// and transfer characteristics. Invalid for those Qt cannot draw (PQ and HLG among them).
QColorSpace FromCicp(int primaries, int transfer);

} // namespace pelldrake
