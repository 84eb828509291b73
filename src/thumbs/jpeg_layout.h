#pragma once

#include <QSize>
#include <QtGlobal>
#include <cstdint>
#include <optional>
#include <vector>

class QIODevice;

namespace pelldrake {

// A stretch of a file's bytes.
struct ByteRange {
    qint64 offset = 0;
    qint64 length = 0;
};

// What the marker segments of a JPEG file before its first scan say, read without reading the
// segments the decoder does not need: comments and application data may fill gigabytes.
struct JpegLayout {
    QSize size;
    bool progressive = false;
    // Blocks of 8 x 8 coefficients over all components, as libjpeg lays them out.
    std::int64_t blocks = 0;
    // The file as the decoder should see it: the start marker, the segments that decoding, the
    // orientation and the colours need, then everything from the first scan on.
    std::vector<ByteRange> decodable;
};

// Empty when the device holds no JPEG or its segments cannot be walked up to a frame header and
// the first scan. Reads a few bytes per segment; the device's position is left anywhere.
std::optional<JpegLayout> ReadJpegLayout(QIODevice& device);

} // namespace pelldrake
