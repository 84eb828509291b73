#include "thumbs/decode_budget.h"

#include "thumbs/heif_file.h"
#include "thumbs/jpeg_layout.h"
#include "thumbs/jxl_file.h"

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

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
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
    // Formats Qt cannot read go to the libraries that decode them.
    const QByteArray head = device.peek(kFormatSniffBytes);
    if (IsHeif(head))
        return HeifDecodeCost(device, target);
    if (IsJxl(head))
        return JxlDecodeCost(device, target);

    std::optional<DecodeCost> cost;
    const QByteArray start = head.left(2);
    if (start.size() == 2 && static_cast<unsigned char>(start[0]) == 0xFF &&
        static_cast<unsigned char>(start[1]) == 0xD8) {
        if (const std::optional<JpegLayout> frame = ReadJpegLayout(device); frame && !frame->size.isEmpty()) {
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
        // The whole picture as decoded, then the shown size in 32 bits: the shrinking works in strips.
        const std::int64_t shown = std::int64_t{target.width()} * target.height() * 4;
        cost = vector ? DecodeCost{stored, shown, 0} : DecodeCost{stored, CeilDiv(pixels * bits, 8) + shown, pixels};
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
