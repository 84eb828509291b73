#include "thumbs/jxl_file.h"

#include "thumbs/area_shrinker.h"
#include "thumbs/jxl_decoder.h"

#include <QColorSpace>
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
// A colour profile is a few kilobytes; a larger one is not read.
constexpr size_t kMaxProfileBytes = size_t{4} << 20;

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

// Asks for the pixels in the picture's own colour space when the decoder may choose (pictures it
// stores in its own XYB space), so that a wide gamut is not clipped to sRGB on the way; pictures
// in a wide-range or HDR space come as sRGB. Returns the space the pixels will come in, or an
// invalid one when Qt cannot use it (they are then taken as sRGB).
QColorSpace ChooseColourSpace(JxlDecoder* decoder, const JxlBasicInfo& info) {
    if (!info.uses_original_profile) {
        JxlColorEncoding wanted{};
        const bool own = JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                                            &wanted) == JXL_DEC_SUCCESS &&
                         wanted.white_point == JXL_WHITE_POINT_D65 &&
                         (wanted.transfer_function == JXL_TRANSFER_FUNCTION_SRGB ||
                          wanted.transfer_function == JXL_TRANSFER_FUNCTION_709 ||
                          wanted.transfer_function == JXL_TRANSFER_FUNCTION_GAMMA);
        if (!own || JxlDecoderSetPreferredColorProfile(decoder, &wanted) != JXL_DEC_SUCCESS) {
            // Without a wish, linear light, which looks dark on a screen.
            JxlColorEncodingSetToSRGB(&wanted, info.num_color_channels == 1 ? JXL_TRUE : JXL_FALSE);
            if (JxlDecoderSetPreferredColorProfile(decoder, &wanted) != JXL_DEC_SUCCESS)
                return {};
        }
    }
    size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS ||
        size == 0 || size > kMaxProfileBytes)
        return {};
    QByteArray icc(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<uint8_t*>(icc.data()), size) != JXL_DEC_SUCCESS)
        return {};
    return QColorSpace::fromIccProfile(icc);
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
            // Beyond the budget the figure no longer matters, and a header may claim 2^62 pixels.
            const std::int64_t counted = std::min(pixels, kDecodeBudgetPixels + 1);
            cost = DecodeCost{size, counted * kDecoderBytesPerPixel + sums, pixels};
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
    QColorSpace colours;
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_NEED_MORE_INPUT:
            if (!feeder.More(device.size()))
                return {};
            break;
        case JXL_DEC_COLOR_ENCODING:
            colours = ChooseColourSpace(decoder.get(), *info);
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
            image.setColorSpace(colours);
            return image;
        }
        default:
            return {};
        }
    }
}

} // namespace pelldrake
