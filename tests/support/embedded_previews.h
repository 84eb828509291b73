#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QtEndian>
#include <exiv2/exiv2.hpp>
#include <iterator>
#include <string>

namespace pelldrake::testing {

// Puts thumbnailJpeg into the EXIF block of the image file at path, as a camera does, and sets
// the EXIF orientation when one is given. False when Exiv2 cannot write the file.
inline bool AddExifThumbnail(const std::string& path, const QByteArray& thumbnailJpeg, int orientation = 0) {
    try {
        auto image = Exiv2::ImageFactory::open(path, false);
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        Exiv2::ExifThumb(exif).setJpegThumbnail(reinterpret_cast<const Exiv2::byte*>(thumbnailJpeg.constData()),
                                                static_cast<long>(thumbnailJpeg.size()));
        if (orientation != 0)
            exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(orientation);
        image->setExifData(exif);
        image->writeMetadata();
        return true;
    } catch (...) {
        return false;
    }
}

// The EXIF block of the image file at path as TIFF data, as a JPEG XL file's EXIF box holds it;
// empty when Exiv2 cannot read it.
inline QByteArray ExifTiffOf(const std::string& path) {
    try {
        auto image = Exiv2::ImageFactory::open(path, false);
        image->readMetadata();
        Exiv2::Blob blob;
        Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, image->exifData());
        return QByteArray(reinterpret_cast<const char*>(blob.data()), static_cast<qsizetype>(blob.size()));
    } catch (...) {
        return {};
    }
}

// The bytes of a file built like a camera raw file: a TIFF whose main image (size pixels, held in
// mainBytes) is compressed in a scheme no decoder here knows, and whose second directory holds
// previewJpeg.
inline QByteArray RawLikeFile(QSize size, const QByteArray& previewJpeg, int orientation = 1, quint32 mainBytes = 256) {
    struct Entry {
        quint16 tag, type; // type 3 SHORT, 4 LONG; one value each
        quint32 value;
    };
    constexpr quint32 kFirstCount = 10, kSecondCount = 3;
    const quint32 stripBytes = mainBytes;
    constexpr quint32 kFirst = 8, kSecond = kFirst + 2 + kFirstCount * 12 + 4;
    constexpr quint32 kStrip = kSecond + 2 + kSecondCount * 12 + 4;
    const quint32 previewAt = kStrip + stripBytes;
    const auto width = static_cast<quint32>(size.width());
    const auto height = static_cast<quint32>(size.height());
    // 34713 is a camera maker's own compression.
    const Entry first[kFirstCount] = {{0x100, 4, width},
                                      {0x101, 4, height},
                                      {0x102, 3, 8},
                                      {0x103, 3, 34713},
                                      {0x106, 3, 1},
                                      {0x111, 4, kStrip},
                                      {0x112, 3, static_cast<quint32>(orientation)},
                                      {0x115, 3, 1},
                                      {0x116, 4, height},
                                      {0x117, 4, stripBytes}};
    const Entry second[kSecondCount] = {
        {0x103, 3, 6}, {0x201, 4, previewAt}, {0x202, 4, static_cast<quint32>(previewJpeg.size())}};

    QByteArray out("II*\0", 4);
    const auto put16 = [&out](quint16 value) {
        char bytes[2];
        qToLittleEndian(value, bytes);
        out.append(bytes, 2);
    };
    const auto put32 = [&out](quint32 value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        out.append(bytes, 4);
    };
    const auto directory = [&](const auto& entries, quint32 next) {
        put16(static_cast<quint16>(std::size(entries)));
        for (const Entry& entry : entries) {
            put16(entry.tag);
            put16(entry.type);
            put32(1);
            if (entry.type == 3) {
                put16(static_cast<quint16>(entry.value));
                put16(0);
            } else {
                put32(entry.value);
            }
        }
        put32(next);
    };
    put32(kFirst);
    directory(first, kSecond);
    directory(second, 0);
    out.append(QByteArray(static_cast<qsizetype>(stripBytes), '\x5a'));
    out.append(previewJpeg);
    return out;
}

// Red in the top-left quarter, blue elsewhere: tells every turn and mirror apart.
inline QImage QuarterMarked(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 200));
    for (int y = 0; y < size.height() / 2; ++y)
        for (int x = 0; x < size.width() / 2; ++x)
            image.setPixel(x, y, qRgb(200, 0, 0));
    return image;
}

// Where the red quarter lies: 0 top left, 1 top right, 2 bottom left, 3 bottom right; -1 unclear.
inline int RedQuarter(const QImage& image) {
    const int w = image.width(), h = image.height();
    const QPoint centres[] = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    int found = -1;
    for (int i = 0; i < 4; ++i) {
        if (qRed(image.pixel(centres[i])) > 150 && qBlue(image.pixel(centres[i])) < 80) {
            if (found >= 0)
                return -1;
            found = i;
        }
    }
    return found;
}

} // namespace pelldrake::testing
