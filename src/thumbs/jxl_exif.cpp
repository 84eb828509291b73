#include "thumbs/jxl_exif.h"

#include "thumbs/jxl_decoder.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <jxl/decode.h>

namespace pelldrake {
namespace {

// A JPEG's EXIF fits one 64 KiB segment; other writers may put a larger thumbnail in it.
constexpr std::size_t kMaxExifBytes = std::size_t{4} << 20;
constexpr std::size_t kFirstExifBuffer = std::size_t{64} << 10;
// Boxes may follow the codestream, which the decoder passes over without decoding it; further
// than this a file is not read for its metadata.
constexpr qint64 kMaxSearchBytes = qint64{16} << 20;

// The box's bytes as the decoder hands them out, in a buffer grown as it asks, up to the limit.
class BoxReader {
public:
    explicit BoxReader(JxlDecoder* decoder) : decoder_(decoder) {}

    bool Start() { return Give(kFirstExifBuffer); }
    // After JXL_DEC_BOX_NEED_MORE_OUTPUT; false at the limit.
    bool Grow() { return buffer_.size() < kMaxExifBytes && Give(std::min(kMaxExifBytes, buffer_.size() * 2)); }
    QByteArray Finish() {
        const std::size_t unused = JxlDecoderReleaseBoxBuffer(decoder_);
        buffer_.resize(buffer_.size() - unused);
        return QByteArray(reinterpret_cast<const char*>(buffer_.data()), static_cast<qsizetype>(buffer_.size()));
    }

private:
    bool Give(std::size_t size) {
        std::size_t filled = 0;
        if (!buffer_.empty())
            filled = buffer_.size() - JxlDecoderReleaseBoxBuffer(decoder_);
        buffer_.resize(size);
        return JxlDecoderSetBoxBuffer(decoder_, buffer_.data() + filled, size - filled) == JXL_DEC_SUCCESS;
    }

    JxlDecoder* decoder_;
    std::vector<std::uint8_t> buffer_;
};

// The box: a big-endian offset to the TIFF header, then the TIFF data.
std::optional<QByteArray> TiffOf(const QByteArray& box) {
    if (box.size() < 4)
        return std::nullopt;
    const auto byte = [&box](int at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(box[at])); };
    const std::uint32_t offset = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    if (offset > static_cast<std::uint32_t>(box.size() - 4))
        return std::nullopt;
    return box.mid(4 + static_cast<qsizetype>(offset));
}

} // namespace

std::optional<JxlExif> ReadJxlExif(QIODevice& device) {
    const JxlDecoderPtr decoder = StartJxlDecoder(device, JXL_DEC_BASIC_INFO | JXL_DEC_BOX);
    // Brotli-compressed boxes ("brob") come out as the box inside them.
    if (!decoder || JxlDecoderSetDecompressBoxes(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS)
        return std::nullopt;
    // The orientation as stored, so that the thumbnail is turned as the picture is.
    JxlDecoderSetKeepOrientation(decoder.get(), JXL_TRUE);
    JxlFeeder feeder(decoder.get(), device);
    BoxReader box(decoder.get());
    bool inExif = false;
    std::optional<QByteArray> tiff;
    int orientation = 0;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        // The EXIF box ends where the next box or the file begins.
        if (inExif && (status == JXL_DEC_BOX || status == JXL_DEC_SUCCESS)) {
            inExif = false;
            tiff = TiffOf(box.Finish());
        }
        if (tiff && orientation != 0)
            break;
        if (status == JXL_DEC_NEED_MORE_INPUT) {
            if (!feeder.More(kMaxSearchBytes))
                break;
        } else if (status == JXL_DEC_BOX_NEED_MORE_OUTPUT) {
            if (!inExif || !box.Grow())
                break;
        } else if (status == JXL_DEC_BASIC_INFO) {
            JxlBasicInfo info{};
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
                break;
            orientation = std::clamp(static_cast<int>(info.orientation), 1, 8);
        } else if (status == JXL_DEC_BOX) {
            JxlBoxType type{};
            if (!tiff && JxlDecoderGetBoxType(decoder.get(), type, JXL_TRUE) == JXL_DEC_SUCCESS &&
                std::memcmp(type, "Exif", sizeof type) == 0) {
                inExif = box.Start();
                if (!inExif)
                    break;
            }
        } else {
            break; // the end of the file, or an error
        }
    }
    if (!tiff || orientation == 0)
        return std::nullopt;
    return JxlExif{*tiff, orientation};
}

} // namespace pelldrake
