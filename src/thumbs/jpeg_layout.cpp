#include "thumbs/jpeg_layout.h"

#include <QByteArray>
#include <QIODevice>
#include <algorithm>

namespace pelldrake {

namespace {

// Far more than any camera writes; a file made of tiny segments ends the walk in bounded time.
constexpr int kMaxSegments = 1 << 20;

int Byte(const QByteArray& bytes, int at) {
    return static_cast<unsigned char>(bytes[at]);
}

int Read16(const QByteArray& bytes, int at) {
    return (Byte(bytes, at) << 8) | Byte(bytes, at + 1);
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

bool ParseFrame(int code, const QByteArray& header, JpegLayout& out) {
    if (header.size() < 6)
        return false;
    out.size = QSize(Read16(header, 3), Read16(header, 1));
    out.progressive = code == 0xC2 || code == 0xC6 || code == 0xCA || code == 0xCE;
    const int components = Byte(header, 5);
    if (components < 1 || header.size() < 6 + 3 * components)
        return false;
    int maxH = 1;
    int maxV = 1;
    for (int c = 0; c < components; ++c) {
        const int sampling = Byte(header, 6 + 3 * c + 1);
        maxH = std::max(maxH, sampling >> 4);
        maxV = std::max(maxV, sampling & 0x0F);
    }
    // libjpeg pads every component to whole MCUs.
    const std::int64_t mcuColumns = CeilDiv(out.size.width(), 8 * maxH);
    const std::int64_t mcuRows = CeilDiv(out.size.height(), 8 * maxV);
    out.blocks = 0;
    for (int c = 0; c < components; ++c) {
        const int sampling = Byte(header, 6 + 3 * c + 1);
        out.blocks += mcuColumns * std::max(1, sampling >> 4) * mcuRows * std::max(1, sampling & 0x0F);
    }
    return true;
}

// Application segments the picture depends on: JFIF, the EXIF block (its orientation), the
// colour profile and Adobe's colour transform. Other application data and comments are what a
// decoder would otherwise keep in memory whole.
bool IsNeededApplicationSegment(int code, const QByteArray& start, bool& exifSeen) {
    if (code == 0xE0 || code == 0xEE)
        return true;
    if (code == 0xE1 && start.startsWith(QByteArray("Exif\0\0", 6)) && !exifSeen)
        return exifSeen = true;
    return code == 0xE2 && start.startsWith("ICC_PROFILE");
}

} // namespace

std::optional<JpegLayout> ReadJpegLayout(QIODevice& device) {
    if (!device.seek(0))
        return std::nullopt;
    const QByteArray soi = device.read(2);
    if (soi.size() != 2 || Byte(soi, 0) != 0xFF || Byte(soi, 1) != 0xD8)
        return std::nullopt;
    JpegLayout out;
    out.decodable.push_back({0, 2});
    bool frameSeen = false;
    bool exifSeen = false;
    qint64 at = 2;
    for (int segment = 0; segment < kMaxSegments; ++segment) {
        if (!device.seek(at))
            return std::nullopt;
        QByteArray marker = device.read(4);
        // Fill bytes may stand before a marker.
        while (marker.size() == 4 && Byte(marker, 0) == 0xFF && Byte(marker, 1) == 0xFF) {
            ++at;
            marker = marker.mid(1) + device.read(1);
        }
        if (marker.size() < 4 || Byte(marker, 0) != 0xFF)
            return std::nullopt;
        const int code = Byte(marker, 1);
        if (code == 0xDA) {
            if (!frameSeen)
                return std::nullopt;
            const qint64 size = device.size();
            out.decodable.push_back({at, std::max<qint64>(0, size - at)});
            return out;
        }
        const int length = Read16(marker, 2);
        if (code == 0xD9 || length < 2)
            return std::nullopt; // no picture before the end, or a broken segment
        const qint64 segmentLength = 2 + length;
        bool keep = true;
        if (code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC) {
            if (frameSeen || !ParseFrame(code, device.read(length - 2), out))
                return std::nullopt;
            frameSeen = true;
        } else if (code == 0xFE) {
            keep = false;
        } else if (code >= 0xE0 && code <= 0xEF) {
            keep = IsNeededApplicationSegment(code, device.read(std::min(length - 2, 12)), exifSeen);
        }
        if (keep) {
            // Neighbouring kept segments read as one stretch.
            ByteRange& last = out.decodable.back();
            if (last.offset + last.length == at)
                last.length += segmentLength;
            else
                out.decodable.push_back({at, segmentLength});
        }
        at += segmentLength;
    }
    return std::nullopt;
}

} // namespace pelldrake
