#pragma once

#include "thumbs/decode_budget.h"
#include "thumbs/embedded_preview.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <atomic>
#include <optional>

class QIODevice;

namespace pelldrake {

// HEIC, AVIF and the other HEIF files (ISO base media boxes around HEVC or AV1 pictures), read with
// libheif. Qt has no reader for them. Every function reads the whole file through the device from
// its start (no larger than 256 MiB) before libheif sees a byte of it, and pictures are decoded in
// a child process (see child_decode.h). Safe on any thread; sizes are the picture's as shown, after
// the rotation and mirroring the file asks for; pictures carry the colour space the file names.

// Whether a file beginning with these bytes is a HEIF file libheif reads. A Canon CR3, a video or
// a JPEG XL container is not, though all begin with boxes.
bool IsHeif(const QByteArray& start);

// What decoding the primary picture will take, from its boxes alone; nothing when they cannot be
// read.
std::optional<DecodeCost> HeifDecodeCost(QIODevice& device, QSize target);

// The primary picture fitted to target, turned and mirrored as the file says (its EXIF orientation,
// which such files may also carry, describes the same turn and is not applied again). Null when the
// file is damaged or cut short, or when abandoned turns true before the decode ends (the child
// decoding it is then killed).
QImage DecodeHeif(QIODevice& device, QSize target, const std::atomic<bool>* abandoned = nullptr);

// The thumbnail picture the file carries, chosen as pick says, fitted to target without enlarging
// it and turned as the file says. Null when there is none or it cannot be decoded.
QImage ReadHeifThumbnail(QIODevice& device, QSize target, PreviewPick pick);

} // namespace pelldrake
