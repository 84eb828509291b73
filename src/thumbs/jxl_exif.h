#pragma once

#include <QByteArray>
#include <optional>

class QIODevice;

namespace pelldrake {

// The EXIF block of a JPEG XL file, which its container carries in a box of its own, Brotli-
// compressed or not. A JPEG recompressed into JPEG XL keeps the JPEG's, camera thumbnail and all.
struct JxlExif {
    QByteArray tiff; // from the TIFF header on
    // As the codestream gives it (1 to 8, as in EXIF): it, not the EXIF block's, says how the
    // picture is turned.
    int orientation = 1;
};

// Reads through the device from its start; safe on any thread. Nothing when the file has no EXIF
// block, or one larger than any camera writes.
std::optional<JxlExif> ReadJxlExif(QIODevice& device);

} // namespace pelldrake
