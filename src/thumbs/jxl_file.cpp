#include "thumbs/jxl_file.h"

#include "thumbs/area_shrinker.h"

#include <QIODevice>
#include <algorithm>
#include <cstdint>
#include <jxl/decode.h>
#include <jxl/encode.h>
#include <memory>
#include <vector>

namespace pelldrake {
namespace {

// Small enough that an abandoned decode stops soon, large enough that the decoder rarely waits.
constexpr qint64 kChunkBytes = qint64{256} << 10;
// The header comes first in the codestream; a container may put metadata boxes before it.
constexpr qint64 kMaxHeaderSearchBytes = qint64{16} << 20;
// libjxl's own buffers while it decodes, measured at 12 to 15 bytes a pixel for 12-megapixel
// pictures, lossy and recompressed JPEG alike.
constexpr std::int64_t kDecoderBytesPerPixel = 16;

struct DecoderDestroy {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
using Decoder = std::unique_ptr<JxlDecoder, DecoderDestroy>;

// Hands the file to the decoder a chunk at a time, keeping what it has not used yet.
class Feeder {
public:
    Feeder(JxlDecoder* decoder, QIODevice& device) : decoder_(decoder), device_(device) {}

    // False at the end of the file, after a failed read, or past limit bytes.
    bool More(qint64 limit) {
        if (fed_) {
            const std::size_t unused = JxlDecoderReleaseInput(decoder_);
            buffer_.erase(buffer_.begin(), buffer_.end() - static_cast<std::ptrdiff_t>(unused));
        }
        if (closed_ || device_.pos() >= limit)
            return false;
        const std::size_t kept = buffer_.size();
        buffer_.resize(kept + static_cast<std::size_t>(kChunkBytes));
        const qint64 got = device_.read(reinterpret_cast<char*>(buffer_.data() + kept), kChunkBytes);
        if (got <= 0)
            return false;
        buffer_.resize(kept + static_cast<std::size_t>(got));
        JxlDecoderSetInput(decoder_, buffer_.data(), buffer_.size());
        fed_ = true;
        // Told that nothing follows, the decoder reports a file cut short as an error instead of
        // asking for more.
        if (device_.atEnd()) {
            JxlDecoderCloseInput(decoder_);
            closed_ = true;
        }
        return true;
    }

private:
    JxlDecoder* decoder_;
    QIODevice& device_;
    std::vector<std::uint8_t> buffer_;
    bool fed_ = false;
    bool closed_ = false;
};

Decoder Start(QIODevice& device, int events) {
    if (!device.seek(0))
        return nullptr;
    Decoder decoder(JxlDecoderCreate(nullptr));
    if (decoder && JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS)
        decoder.reset();
    return decoder;
}

// The basic information, or nothing when the header cannot be read.
std::optional<JxlBasicInfo> ReadBasicInfo(JxlDecoder* decoder, Feeder& feeder) {
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder);
        if (status == JXL_DEC_NEED_MORE_INPUT && feeder.More(kMaxHeaderSearchBytes))
            continue;
        JxlBasicInfo info{};
        if (status != JXL_DEC_BASIC_INFO || JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS ||
            info.xsize == 0 || info.ysize == 0)
            return std::nullopt;
        return info;
    }
}

QSize SizeOf(const JxlBasicInfo& info) {
    // The decoder turns the picture and reports the turned size; no picture of more than 2^31
    // pixels a side passes the budget.
    return QSize(static_cast<int>(std::min<std::uint32_t>(info.xsize, INT32_MAX)),
                 static_cast<int>(std::min<std::uint32_t>(info.ysize, INT32_MAX)));
}

QSize Fitted(QSize size, QSize target) {
    return size.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

struct Shrinking {
    AreaShrinker shrinker;
    int channels;
    bool premultiplied;
};

void TakePixels(void* opaque, size_t x, size_t y, size_t count, const void* pixels) {
    auto* shrinking = static_cast<Shrinking*>(opaque);
    shrinking->shrinker.Add(static_cast<int>(x), static_cast<int>(y), static_cast<int>(count),
                            static_cast<const std::uint8_t*>(pixels), shrinking->channels, shrinking->premultiplied);
}

} // namespace

bool IsJxl(const QByteArray& start) {
    const JxlSignature signature =
        JxlSignatureCheck(reinterpret_cast<const uint8_t*>(start.constData()), static_cast<size_t>(start.size()));
    return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER;
}

std::optional<DecodeCost> JxlDecodeCost(QIODevice& device, QSize target) {
    std::optional<DecodeCost> cost;
    if (const Decoder decoder = Start(device, JXL_DEC_BASIC_INFO)) {
        Feeder feeder(decoder.get(), device);
        if (const std::optional<JxlBasicInfo> info = ReadBasicInfo(decoder.get(), feeder)) {
            const QSize size = SizeOf(*info);
            const std::int64_t pixels = std::int64_t{size.width()} * size.height();
            const QSize fitted = Fitted(size, target);
            const std::int64_t sums = std::int64_t{fitted.width()} * fitted.height() * 16;
            cost = DecodeCost{size, pixels * kDecoderBytesPerPixel + sums, pixels};
        }
    }
    device.seek(0);
    return cost;
}

QImage DecodeJxl(QIODevice& device, QSize target) {
    if (target.isEmpty())
        return {};
    const Decoder decoder = Start(device, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
    if (!decoder)
        return {};
    // The default, but what the sizes above rely on: the decoder turns the picture itself.
    JxlDecoderSetKeepOrientation(decoder.get(), JXL_FALSE);
    Feeder feeder(decoder.get(), device);
    const std::optional<JxlBasicInfo> info = ReadBasicInfo(decoder.get(), feeder);
    if (!info)
        return {};
    const QSize size = SizeOf(*info);
    if (std::int64_t{size.width()} * size.height() > kDecodeBudgetPixels)
        return {};
    const QSize fitted = Fitted(size, target);
    const bool alpha = info->alpha_bits > 0;
    Shrinking shrinking{AreaShrinker(size, fitted), alpha ? 4 : 3, alpha && info->alpha_premultiplied};
    const JxlPixelFormat format{static_cast<uint32_t>(shrinking.channels), JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_NEED_MORE_INPUT:
            if (!feeder.More(device.size()))
                return {};
            break;
        case JXL_DEC_COLOR_ENCODING:
            // Pictures stored in the decoder's own colour space come out in the space asked for;
            // without a wish, linear light, which looks dark on a screen.
            if (!info->uses_original_profile) {
                JxlColorEncoding srgb{};
                JxlColorEncodingSetToSRGB(&srgb, info->num_color_channels == 1 ? JXL_TRUE : JXL_FALSE);
                JxlDecoderSetPreferredColorProfile(decoder.get(), &srgb);
            }
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
            if (JxlDecoderSetImageOutCallback(decoder.get(), &format, &TakePixels, &shrinking) != JXL_DEC_SUCCESS)
                return {};
            break;
        case JXL_DEC_FULL_IMAGE: {
            // The first frame is the picture; an animation's others are not wanted.
            QImage image = shrinking.shrinker.Result();
            if (image.size() != fitted)
                image = image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            return image;
        }
        default:
            return {};
        }
    }
}

} // namespace pelldrake
