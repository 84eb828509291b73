#pragma once

#include <QSize>
#include <QtGlobal>
#include <atomic>
#include <cstdint>
#include <optional>

class QIODevice;

namespace pelldrake {

// What decoding a picture will take, read from its header before a single pixel is decoded.
struct DecodeCost {
    QSize stored;            // the picture's own size, as its header gives it
    std::int64_t bytes = 0;  // memory the decoder and our scaling will hold at their peak
    std::int64_t pixels = 0; // stored pixels the decoder must walk through
};

// A picture costing more than this is not decoded at all: a file of a few kilobytes can claim
// 65000 x 65000 pixels, and libjpeg's own buffers for a progressive JPEG lie outside Qt's
// allocation limit.
inline constexpr std::int64_t kDecodeBudgetBytes = std::int64_t{1} << 30;
inline constexpr std::int64_t kDecodeBudgetPixels = std::int64_t{1} << 30;
// Decodes above this share one budget of kDecodeBudgetBytes between them, so read-ahead of
// several large files never adds up to more than one.
inline constexpr std::int64_t kLargeDecodeBytes = std::int64_t{64} << 20;
// A decode walking more stored pixels than this takes longer than a key press.
inline constexpr std::int64_t kLargeDecodePixels = std::int64_t{16} << 20;

// Bytes from the start of a file that tell every format the loader decodes without Qt.
inline constexpr qint64 kFormatSniffBytes = 64;

// The cost of decoding the picture in device fitted into target, or nothing when the header
// does not tell. The device is left at its start.
std::optional<DecodeCost> EstimateDecodeCost(QIODevice& device, QSize target);

inline bool IsWithinBudget(const DecodeCost& cost) {
    return cost.bytes <= kDecodeBudgetBytes && cost.pixels <= kDecodeBudgetPixels;
}

// A share of the memory budget for large decodes, held for one decode and returned with it.
class DecodeMemory {
public:
    // Waits until bytes fit beside the other large decodes. Empty when abandoned turns true
    // while waiting. Small decodes take nothing and never wait.
    static std::optional<DecodeMemory> Reserve(std::int64_t bytes, const std::atomic<bool>* abandoned);
    static std::int64_t reservedBytes();

    DecodeMemory(DecodeMemory&& other) noexcept : bytes_(other.bytes_) { other.bytes_ = 0; }
    DecodeMemory& operator=(DecodeMemory&&) = delete;
    ~DecodeMemory();

private:
    explicit DecodeMemory(std::int64_t bytes) : bytes_(bytes) {}
    std::int64_t bytes_;
};

} // namespace pelldrake
