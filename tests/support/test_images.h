#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace pelldrake::testing {

// Smooth gradients under fine grain: it compresses and decodes like a photograph, where a flat
// colour would make every decoder look fast and every scaler look exact. No channel comes near
// white, so the picture stands out from a white background pixel for pixel.
inline QImage PhotoLikeImage(QSize size, std::uint32_t seed = 1, int grain = 24) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const int width = size.width();
    const int height = size.height();
    std::vector<int> across(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        across[static_cast<std::size_t>(x)] = 30 + x * 170 / width;
    std::uint32_t state = seed * 2654435761u | 1u;
    const auto channel = [grain](int base, std::uint32_t bits) {
        const int value = base + (static_cast<int>(bits & 0xffu) - 128) * grain / 128;
        return value < 0 ? 0 : (value > 220 ? 220 : value);
    };
    for (int y = 0; y < height; ++y) {
        const int down = 30 + y * 170 / height;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int red = across[static_cast<std::size_t>(x)];
            const int blue = 230 - (red + down) / 2;
            line[x] = qRgb(channel(red, state), channel(down, state >> 8), channel(blue, state >> 16));
        }
    }
    return image;
}

inline QByteArray EncodeImage(const QImage& image, const char* format, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

// Adds an EXIF block holding only the orientation tag (1 to 8; 6 turns the picture a quarter
// clockwise for display) after the JFIF header. Qt's JPEG writer does not write one.
inline QByteArray WithExifOrientation(const QByteArray& jpeg, int orientation) {
    if (!jpeg.startsWith("\xff\xd8"))
        return QByteArray();
    int insertAt = 2;
    if (jpeg.size() > 6 && static_cast<unsigned char>(jpeg[3]) == 0xe0) // skip APP0
        insertAt = 4 + (static_cast<unsigned char>(jpeg[4]) << 8 | static_cast<unsigned char>(jpeg[5]));
    // clang-format off
    const char exif[] = {
        '\xff', '\xe1', 0, 34,                     // APP1 and its length
        'E', 'x', 'i', 'f', 0, 0,                  // EXIF identifier
        'M', 'M', 0, 42, 0, 0, 0, 8,               // big-endian TIFF header, first directory at 8
        0, 1,                                      // one entry:
        0x01, 0x12, 0, 3, 0, 0, 0, 1,              // orientation, SHORT, one value
        0, static_cast<char>(orientation), 0, 0,   // the value
        0, 0, 0, 0,                                // no further directory
    };
    // clang-format on
    QByteArray out = jpeg;
    out.insert(insertAt, exif, sizeof exif);
    return out;
}

// Writes exactly these bytes under exactly this name, which need not be valid UTF-8.
inline bool WriteNativeFile(const std::string& path, const QByteArray& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (written <= 0)
            break;
        done += written;
    }
    return ::close(fd) == 0 && done == bytes.size();
}

// Removes a file by its native name when the test ends; QTemporaryDir cannot remove a name that
// is not valid UTF-8.
struct RemoveAtEnd {
    std::string path;
    ~RemoveAtEnd() { ::unlink(path.c_str()); }
};

// A photograph-like image file of the given size; the native path, or empty on failure.
inline std::string WriteImageFile(const std::string& path, QSize size, const char* format = "jpeg",
                                  std::uint32_t seed = 1) {
    const QByteArray bytes = EncodeImage(PhotoLikeImage(size, seed), format);
    return !bytes.isEmpty() && WriteNativeFile(path, bytes) ? path : std::string();
}

// A small JPEG whose frame header claims another size: what a decompression bomb looks like.
inline QByteArray JpegClaiming(QSize claimed, bool progressive) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(PhotoLikeImage(QSize(64, 64))))
        return {};
    const int frame = bytes.indexOf(progressive ? "\xff\xc2" : "\xff\xc0");
    if (frame < 0)
        return {};
    bytes[frame + 5] = static_cast<char>(claimed.height() >> 8);
    bytes[frame + 6] = static_cast<char>(claimed.height() & 0xff);
    bytes[frame + 7] = static_cast<char>(claimed.width() >> 8);
    bytes[frame + 8] = static_cast<char>(claimed.width() & 0xff);
    return bytes;
}

// A black 8-bit grey PNG, built chunk by chunk: tiny on disk, yet its decoder must inflate and
// walk every pixel. No QImage of that size is ever made here.
inline QByteArray BlankGreyPng(QSize size) {
    const auto crc = [](const QByteArray& data) {
        std::uint32_t value = 0xffffffffu;
        for (const char byte : data) {
            value ^= static_cast<unsigned char>(byte);
            for (int bit = 0; bit < 8; ++bit)
                value = (value >> 1) ^ (0xedb88320u & (0u - (value & 1u)));
        }
        return ~value;
    };
    const auto big = [](std::uint32_t value) {
        QByteArray out(4, '\0');
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<char>(value >> (24 - 8 * i));
        return out;
    };
    const auto chunk = [&](const char* type, const QByteArray& data) {
        const QByteArray typed = QByteArray(type) + data;
        return big(static_cast<std::uint32_t>(data.size())) + typed + big(crc(typed));
    };
    const QByteArray header = big(static_cast<std::uint32_t>(size.width())) +
                              big(static_cast<std::uint32_t>(size.height())) + QByteArray("\x08\x00\x00\x00\x00", 5);
    // Each row: filter type 0, then the pixels. qCompress puts a length before the zlib stream.
    const QByteArray rows(static_cast<qsizetype>(size.height()) * (size.width() + 1), '\0');
    const QByteArray data = qCompress(rows, 9).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", data) + chunk("IEND", {});
}

} // namespace pelldrake::testing
