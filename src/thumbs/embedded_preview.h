#pragma once

#include "core/types.h"

#include <QImage>
#include <QSize>

namespace pelldrake {

// Which of a file's embedded previews to read.
enum class PreviewPick {
    // The smallest that covers the target, else the largest: quick to decode for a pane.
    SmallestCovering,
    // The largest: the best picture of a file whose own pixels cannot be decoded (camera raw).
    Largest,
};

// Reads a preview image that a camera or an editor embedded in an image file (the EXIF
// thumbnail of a JPEG, the previews of camera raw files and TIFFs, the thumbnail picture of a
// HEIC or AVIF file, the EXIF thumbnail a JPEG XL file recompressed from a JPEG keeps), fitted to
// target (never enlarged) and turned by the file's EXIF orientation (a HEIF file's by its own
// transformations, a JPEG XL file's by its codestream's). The file's main pixels are not decoded.
// Null when the file carries no preview or cannot be read. Safe on any thread.
//
// fd is an open descriptor of a regular file; it stays open and the caller keeps it.
QImage ReadEmbeddedPreview(int fd, QSize target, PreviewPick pick);
QImage ReadEmbeddedPreview(const FilePath& path, QSize target, PreviewPick pick);

// The picture as the EXIF orientation (1 to 8) says it is to be displayed; other values leave it
// as it is.
QImage Oriented(const QImage& image, int exifOrientation);

} // namespace pelldrake
