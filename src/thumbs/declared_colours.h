#pragma once

#include "platform/exiv2_setup.h"

#include <QColorSpace>
#include <memory>

namespace Exiv2 {
class Image;
}

namespace pelldrake {

// The file behind fd (an open descriptor of a regular file, which the caller keeps) opened by
// Exiv2 with its metadata read. Null when Exiv2 does not know the format; throws as Exiv2 does
// when the file is damaged.
std::unique_ptr<Exiv2::Image> OpenWithExiv2(int fd);

// The colour space a camera or an editor declared for a file's pixels in its metadata: the ICC
// profile it carries, else EXIF's colour space tag with the interoperability index (a camera set
// to Adobe RGB declares "uncalibrated" with index "R03"). Invalid when nothing Qt can use is
// declared: the pixels are then sRGB. fd is an open descriptor of a regular file; the caller keeps
// it. Safe on any thread.
QColorSpace DeclaredColourSpace(int fd);

// The same, of a file whose metadata Exiv2 has read.
QColorSpace DeclaredColourSpace(Exiv2::Image& image);

} // namespace pelldrake
