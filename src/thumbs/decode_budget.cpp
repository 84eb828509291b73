#include "thumbs/decode_budget.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace pelldrake {

namespace {

struct JpegFrame {
    QSize size;
    bool progressive = false;
    // Blocks of 8 x 8 coefficients over all components, as libjpeg lays them out.
    std::int64_t blocks = 0;
};

int Read16(const QByteArray& bytes, int at) {
    return (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

// Walks the marker segments up to the frame header. Segments before it (EXIF, ICC) may be large,
// so they are skipped by seeking, never read.
std::optional<JpegFrame> ReadJpegFrame(QIODevice& device) {
    qint64 at = 2; // after SOI
    for (int segment = 0; segment < 1000; ++segment) {
        if (!device.seek(at))
            return std::nullopt;
        QByteArray marker = device.read(4);
        // Fill bytes may stand before a marker.
        while (marker.size() == 4 && static_cast<unsigned char>(marker[0]) == 0xFF &&
               static_cast<unsigned char>(marker[1]) == 0xFF) {
            ++at;
            marker = marker.mid(1) + device.read(1);
        }
        if (marker.size() < 4 || static_cast<unsigned char>(marker[0]) != 0xFF)
            return std::nullopt;
        const int code = static_cast<unsigned char>(marker[1]);
        const int length = Read16(marker, 2);
        if (code == 0xD9 || code == 0xDA || length < 2)
            return std::nullopt; // image data before any frame header
        const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (frame) {
            const QByteArray header = device.read(length - 2);
            if (header.size() < 6)
                return std::nullopt;
            JpegFrame out;
            out.size = QSize(Read16(header, 3), Read16(header, 1));
            out.progressive = code == 0xC2 || code == 0xC6 || code == 0xCA || code == 0xCE;
            const int components = static_cast<unsigned char>(header[5]);
            if (components < 1 || header.size() < 6 + 3 * components)
                return std::nullopt;
            int maxH = 1;
            int maxV = 1;
            for (int c = 0; c < components; ++c) {
                const int sampling = static_cast<unsigned char>(header[6 + 3 * c + 1]);
                maxH = std::max(maxH, sampling >> 4);
                maxV = std::max(maxV, sampling & 0x0F);
            }
            // libjpeg pads every component to whole MCUs.
            const std::int64_t mcuColumns = CeilDiv(out.size.width(), 8 * maxH);
            const std::int64_t mcuRows = CeilDiv(out.size.height(), 8 * maxV);
            for (int c = 0; c < components; ++c) {
                const int sampling = static_cast<unsigned char>(header[6 + 3 * c + 1]);
                out.blocks += mcuColumns * std::max(1, sampling >> 4) * mcuRows * std::max(1, sampling & 0x0F);
            }
            return out;
        }
        at += 2 + length;
    }
    return std::nullopt;
}

// Qt's JPEG reader decodes at 1/2, 1/4 or 1/8 of the stored size when the wanted size allows.
int JpegScaleDenominator(QSize stored, QSize target) {
    if (target.isEmpty())
        return 1;
    const int ratio =
        std::min(stored.width() / std::max(1, target.width()), stored.height() / std::max(1, target.height()));
    return ratio >= 8 ? 8 : ratio >= 4 ? 4 : ratio >= 2 ? 2 : 1;
}

std::mutex reservationMutex;
std::condition_variable reservationReturned;
std::int64_t reserved = 0;

} // namespace

std::optional<DecodeCost> EstimateDecodeCost(QIODevice& device, QSize target) {
    std::optional<DecodeCost> cost;
    const QByteArray start = device.peek(2);
    if (start.size() == 2 && static_cast<unsigned char>(start[0]) == 0xFF &&
        static_cast<unsigned char>(start[1]) == 0xD8) {
        if (const std::optional<JpegFrame> frame = ReadJpegFrame(device); frame && !frame->size.isEmpty()) {
            const std::int64_t pixels = std::int64_t{frame->size.width()} * frame->size.height();
            const int denominator = JpegScaleDenominator(frame->size, target);
            const std::int64_t scaled =
                CeilDiv(frame->size.width(), denominator) * CeilDiv(frame->size.height(), denominator);
            // Progressive files keep every coefficient (two bytes each) of the whole picture until
            // the last scan; the output is four bytes a pixel at the reduced size.
            const std::int64_t coefficients = frame->progressive ? frame->blocks * 64 * 2 : 0;
            cost = DecodeCost{frame->size, coefficients + scaled * 4, pixels};
        }
        device.seek(0);
        if (cost)
            return cost;
    }

    QImageReader reader(&device);
    const QSize stored = reader.size();
    if (stored.isValid() && !stored.isEmpty()) {
        const std::int64_t pixels = std::int64_t{stored.width()} * stored.height();
        const int bits = std::max<int>(1, QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel());
        const bool vector = reader.format() == "svg" || reader.format() == "svgz";
        // The whole picture as decoded, then a 32-bit copy of it for smooth scaling.
        cost = vector ? DecodeCost{stored, std::int64_t{target.width()} * target.height() * 4, 0}
                      : DecodeCost{stored, CeilDiv(pixels * bits, 8) + pixels * 4, pixels};
    }
    device.seek(0);
    return cost;
}

std::optional<DecodeMemory> DecodeMemory::Reserve(std::int64_t bytes, const std::atomic<bool>* abandoned) {
    if (bytes <= kLargeDecodeBytes)
        return DecodeMemory(0);
    bytes = std::min(bytes, kDecodeBudgetBytes);
    std::unique_lock lock(reservationMutex);
    while (reserved + bytes > kDecodeBudgetBytes) {
        if (abandoned && abandoned->load())
            return std::nullopt;
        reservationReturned.wait_for(lock, std::chrono::milliseconds(50));
    }
    reserved += bytes;
    return DecodeMemory(bytes);
}

std::int64_t DecodeMemory::reservedBytes() {
    std::lock_guard lock(reservationMutex);
    return reserved;
}

DecodeMemory::~DecodeMemory() {
    if (bytes_ == 0)
        return;
    {
        std::lock_guard lock(reservationMutex);
        reserved -= bytes_;
    }
    reservationReturned.notify_all();
}

} // namespace pelldrake
