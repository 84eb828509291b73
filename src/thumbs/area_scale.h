#pragma once

#include <QImage>
#include <QSize>

namespace pelldrake {

// The picture shrunk to size by averaging every source pixel that falls on each target pixel.
// Works through the source a strip of rows at a time, so that a large picture in a compact format
// (an 8000 x 8000 grey PNG holds 64 MB) is never turned into a 32-bit copy of its full size, as
// Qt's smooth scaling would. The result is RGB32, or premultiplied ARGB32 when the source has an
// alpha channel. A size not smaller than the source in both directions gives a plain scaled copy.
QImage AreaScaled(const QImage& source, QSize size);

} // namespace pelldrake
