#include "thumbs/jxl_file.h"

#include "thumbs/area_shrinker.h"
#include "thumbs/jxl_decoder.h"

#include <QIODevice>
#include <QThread>
#include <algorithm>
#include <cstdint>
#include <jxl/decode.h>
#include <jxl/encode.h>
#include <jxl/resizable_parallel_runner_cxx.h>
#include <mutex>

namespace pelldrake {
namespace {

// The header comes first in the codestream; a container may put metadata boxes before it.
constexpr qint64 kMaxHeaderSearchBytes = qint64{16} << 20;
// libjxl's own buffers while it decodes, measured at 12 to 15 bytes a pixel for 12-megapixel
// pictures, lossy and recompressed JPEG alike.
constexpr std::int64_t kDecoderBytesPerPixel = 16;

// The basic information, or nothing when the header cannot be read.
std::optional<JxlBasicInfo> ReadBasicInfo(JxlDecoder* decoder, JxlFeeder& feeder) {
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
    // The decoder's threads hand over rows side by side, whose pixels may fall on the same sums.
    // Adding a row is quick beside decoding it, so they seldom wait for each other.
    std::mutex adding;
};

void TakePixels(void* opaque, size_t x, size_t y, size_t count, const void* pixels) {
    auto* shrinking = static_cast<Shrinking*>(opaque);
    const std::lock_guard lock(shrinking->adding);
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
    if (const JxlDecoderPtr decoder = StartJxlDecoder(device, JXL_DEC_BASIC_INFO)) {
        JxlFeeder feeder(decoder.get(), device);
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
    const JxlDecoderPtr decoder =
        StartJxlDecoder(device, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
    const JxlResizableParallelRunnerPtr runner = JxlResizableParallelRunnerMake(nullptr);
    if (!decoder || !runner ||
        JxlDecoderSetParallelRunner(decoder.get(), JxlResizableParallelRunner, runner.get()) != JXL_DEC_SUCCESS)
        return {};
    // The default, but what the sizes above rely on: the decoder turns the picture itself.
    JxlDecoderSetKeepOrientation(decoder.get(), JXL_FALSE);
    JxlFeeder feeder(decoder.get(), device);
    const std::optional<JxlBasicInfo> info = ReadBasicInfo(decoder.get(), feeder);
    if (!info)
        return {};
    const QSize size = SizeOf(*info);
    if (std::int64_t{size.width()} * size.height() > kDecodeBudgetPixels)
        return {};
    // A photograph decodes group by group on every core; a small picture is not worth the threads.
    const auto cores = static_cast<std::uint32_t>(std::max(1, QThread::idealThreadCount()));
    JxlResizableParallelRunnerSetThreads(
        runner.get(),
        std::min<std::uint64_t>(cores, JxlResizableParallelRunnerSuggestThreads(info->xsize, info->ysize)));
    const QSize fitted = Fitted(size, target);
    const bool alpha = info->alpha_bits > 0;
    Shrinking shrinking{AreaShrinker(size, fitted), alpha ? 4 : 3, alpha && info->alpha_premultiplied, {}};
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
