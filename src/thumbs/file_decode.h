#pragma once

#include "core/types.h"
#include "thumbs/image_cache.h"
#include "thumbs/picture_region.h"

#include <QImage>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <optional>

namespace pelldrake {

// One file decoded as the loader's workers decode it: the format told from its bytes (libheif for
// HEIF and AVIF, libjxl for JPEG XL, Qt's readers for the rest, a camera's embedded preview for
// raw files), fitted to the target, turned as the file says, in the screen's colours and in a
// format the raster engine paints directly. Safe on any thread.

// Why a file came back without its own pixels though its header could be read: its size.
struct DecodeRefusal {
    QSize stored;
    std::int64_t bytes = 0;
};

struct DecodedFile {
    QImage image;                   // null when the file cannot be shown
    std::optional<FileStamp> stamp; // of the file as it was read
    std::optional<DecodeRefusal> refusal;
    bool abandoned = false; // given up: the picture, whatever came of it, is not the file's
};

// abandoned, when given, gives a large decode up at its next read, or before and after a
// decode that cannot be stopped; a small one is finished, being done before the next key press.
// At the picture's own size, region asks for a part of it; where the decoder can give one, the image
// is that part and carries its placement (PlacementOf), else it is the whole picture.
DecodedFile DecodeFile(const FilePath& path, QSize target, const std::atomic<bool>* abandoned,
                       const PictureRegion& region = {});

struct PreviewRead {
    QImage image; // null when the file embeds none
    std::optional<FileStamp> stamp;
};

// The smallest embedded preview that covers target, else the largest.
PreviewRead ReadPreviewFile(const FilePath& path, QSize target);

// source scaled to fit target with its aspect ratio kept, at least one pixel a side; empty when
// either is.
QSize FitSize(QSize source, QSize target);

} // namespace pelldrake
