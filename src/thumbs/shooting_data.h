#pragma once

#include "core/types.h"
#include "thumbs/shooting_line.h"

namespace pelldrake {

// The shooting data of the image file at path from its EXIF and XMP (HEIF and camera raw files
// included; of a JPEG XL file its EXIF box). Only the first 16 MiB of a file are read, into memory,
// before Exiv2 sees a byte of them; a file Exiv2 finds damaged gives nothing. Safe on any thread.
ShootingData ReadShootingData(const FilePath& path);

} // namespace pelldrake
