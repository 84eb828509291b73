#pragma once

#include "thumbs/decode_budget.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <optional>

class QIODevice;

namespace pelldrake {

// JPEG XL files, bare or in their container, read with libjxl. Qt has no reader for them. Every
// function reads through the device from its start and is safe on any thread; sizes are the
// picture's as shown, turned by the orientation its header gives (which an encoder takes from the
// EXIF orientation of the picture it started from).

bool IsJxl(const QByteArray& start);

// What decoding will take, from the header alone; nothing when it cannot be read.
std::optional<DecodeCost> JxlDecodeCost(QIODevice& device, QSize target);

// The first frame fitted to target and turned. The picture is shrunk as the decoder hands it over,
// never held at its own size. The file is read a piece at a time, so a device that starts failing
// its reads (a decode nobody wants any more) stops the decode there. Null when the file is damaged
// or cut short.
QImage DecodeJxl(QIODevice& device, QSize target);

} // namespace pelldrake
