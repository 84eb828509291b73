#include "thumbs/heif_file.h"

#include "thumbs/area_scale.h"
#include "thumbs/child_decode.h"
#include "thumbs/shown_colours.h"

#include <QColorSpace>
#include <QIODevice>
#include <QThread>
#include <algorithm>
#include <cstdint>
#include <libheif/heif.h>
#include <memory>
#include <mutex>
#include <vector>

namespace pelldrake {
namespace {

// libheif 1.15 reads every top-level box whole while it parses a file, the coded pictures
// included: a larger file is not handed to it at all.
constexpr std::int64_t kMaxFileBytes = std::int64_t{256} << 20;
// A thumbnail is a few hundred pixels across; one whose decode would take more is not decoded.
constexpr std::int64_t kThumbnailBudgetBytes = std::int64_t{256} << 20;
// A colour profile is a few kilobytes; a larger one is not read.
constexpr size_t kMaxProfileBytes = size_t{4} << 20;
// An abandoned decode stops reading after one piece.
constexpr qint64 kReadPieceBytes = qint64{1} << 20;

void PrepareLibheif() {
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

// The whole file, or nothing when it is larger than libheif is given or a read fails (the file cut
// short, its medium gone, or the decode given up). libheif 1.15 is built with assertions and aborts
// the process when one of its reads fails after it has parsed the boxes: it only ever reads from
// memory, and a file that cannot be read whole is never handed to it.
std::optional<QByteArray> ReadWhole(QIODevice& device) {
    const qint64 size = device.size();
    if (size <= 0 || size > kMaxFileBytes || !device.seek(0))
        return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 at = 0; at < size;) {
        const qint64 got = device.read(bytes.data() + at, std::min(size - at, kReadPieceBytes));
        if (got <= 0)
            return std::nullopt;
        at += got;
    }
    return bytes;
}

struct ContextFree {
    void operator()(heif_context* context) const {
        const LibraryUse use;
        heif_context_free(context);
    }
};
struct HandleRelease {
    void operator()(heif_image_handle* handle) const {
        const LibraryUse use;
        heif_image_handle_release(handle);
    }
};
struct ImageRelease {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;

struct Opened {
    QByteArray file; // libheif reads it in place: released after the context
    std::unique_ptr<heif_context, ContextFree> context;
    Handle primary; // released before the context
};

bool IsAbandoned(const std::atomic<bool>* abandoned) {
    return abandoned != nullptr && abandoned->load(std::memory_order_relaxed);
}

std::optional<Opened> Open(QIODevice& device, const std::atomic<bool>* abandoned = nullptr) {
    std::optional<QByteArray> file = ReadWhole(device);
    if (!file || IsAbandoned(abandoned))
        return std::nullopt;
    PrepareLibheif();
    const LibraryUse use;
    Opened opened{std::move(*file), std::unique_ptr<heif_context, ContextFree>(heif_context_alloc()), nullptr};
    if (!opened.context)
        return std::nullopt;
    // A phone's picture is a grid of tiles, each its own HEVC picture: one thread a core decodes
    // them side by side (libheif's own default is four, whatever the machine).
    heif_context_set_max_decoding_threads(opened.context.get(), std::max(1, QThread::idealThreadCount()));
    if (heif_context_read_from_memory_without_copy(opened.context.get(), opened.file.constData(),
                                                   static_cast<size_t>(opened.file.size()), nullptr)
            .code != heif_error_Ok)
        return std::nullopt;
    heif_image_handle* primary = nullptr;
    if (heif_context_get_primary_image_handle(opened.context.get(), &primary).code != heif_error_Ok)
        return std::nullopt;
    opened.primary.reset(primary);
    return opened;
}

QSize SizeOf(const heif_image_handle* handle) {
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

// The memory the decode holds at its peak: the decoder's own frame and libheif's copy of it (three
// full planes at worst, as in 4:4:4, and alpha), then the 8-bit interleaved picture we scale from.
std::optional<DecodeCost> CostOf(const heif_image_handle* handle, QSize target) {
    const QSize size = SizeOf(handle);
    if (size.isEmpty())
        return std::nullopt;
    const std::int64_t pixels = std::int64_t{size.width()} * size.height();
    const int bits = std::max(heif_image_handle_get_luma_bits_per_pixel(handle),
                              heif_image_handle_get_chroma_bits_per_pixel(handle));
    const std::int64_t sampleBytes = bits > 8 ? 2 : 1;
    const std::int64_t channels = heif_image_handle_has_alpha_channel(handle) ? 4 : 3;
    const std::int64_t shown = std::int64_t{target.width()} * target.height() * 4;
    // Beyond the budget the figure no longer matters, and a header may claim 2^62 pixels.
    const std::int64_t counted = std::min(pixels, kDecodeBudgetPixels + 1);
    return DecodeCost{size, 2 * counted * channels * sampleBytes + counted * channels + shown, pixels};
}

// The colour space the picture's pixels are in, as its colour box says: an ICC profile or an
// H.273 description. Invalid when it says nothing Qt can use: the pixels are then taken as sRGB.
QColorSpace ColourSpaceOf(const heif_image_handle* handle) {
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
        if (size == 0 || size > kMaxProfileBytes)
            return {};
        QByteArray icc(static_cast<qsizetype>(size), Qt::Uninitialized);
        if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            return {};
        return QColorSpace::fromIccProfile(icc);
    }
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx* nclx = nullptr;
        const bool read = heif_image_handle_get_nclx_color_profile(handle, &nclx).code == heif_error_Ok;
        const QColorSpace space =
            read && nclx != nullptr ? FromCicp(nclx->color_primaries, nclx->transfer_characteristics) : QColorSpace();
        // libheif hands the description out even when it reports values it does not know.
        heif_nclx_color_profile_free(nclx);
        return space;
    }
    default:
        return {};
    }
}

// The size the picture of handle is shown at in target; never enlarged when enlarge is false.
QSize FittedSize(const heif_image_handle* handle, QSize target, bool enlarge) {
    const QSize size = SizeOf(handle);
    if (size.isEmpty() || target.isEmpty())
        return {};
    const QSize fitted = size.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return !enlarge && (fitted.width() > size.width() || fitted.height() > size.height()) ? size : fitted;
}

// What the child reports of its decode.
enum DecodeReport : int { kFailed = 0, kStraight = 1, kPremultiplied = 2 };

// In a child process: decodes the picture of handle, turned as the file says, into pixels of the
// size the handle gives: RGB, or RGBA when it has alpha, 8 bits a channel, bytesPerLine apart.
int DecodeInto(const heif_image_handle* handle, uchar* into, qsizetype bytesPerLine) {
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options)
        return kFailed;
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    // A const handle is all the decoder needs; the C interface is not declared so.
    if (heif_decode_image(const_cast<heif_image_handle*>(handle), &decoded, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get())
            .code != heif_error_Ok)
        return kFailed;
    const std::unique_ptr<heif_image, ImageRelease> image(decoded);
    int stride = 0;
    const uint8_t* pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const QSize size = SizeOf(handle);
    const qsizetype rowBytes = qsizetype{size.width()} * (alpha ? 4 : 3);
    if (pixels == nullptr || stride < rowBytes ||
        heif_image_get_width(image.get(), heif_channel_interleaved) != size.width() ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != size.height())
        return kFailed;
    for (int y = 0; y < size.height(); ++y)
        std::copy_n(pixels + static_cast<qsizetype>(y) * stride, rowBytes, into + y * bytesPerLine);
    return heif_image_is_premultiplied_alpha(image.get()) ? kPremultiplied : kStraight;
}

// Decodes the picture of handle in a child process, then fits it to fitted; null when given up.
QImage DecodeFitted(const heif_image_handle* handle, QSize fitted, const std::atomic<bool>* abandoned) {
    QSize size;
    bool alpha = false;
    {
        const LibraryUse use;
        size = SizeOf(handle);
        alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    }
    if (size.isEmpty() || fitted.isEmpty())
        return {};
    const qsizetype bytesPerLine = (qsizetype{size.width()} * (alpha ? 4 : 3) + 3) & ~qsizetype{3};
    const SharedBytes pixels(static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(size.height()));
    if (pixels.data() == nullptr)
        return {};
    const int report = RunInChildProcess(
        abandoned, [handle, &pixels, bytesPerLine] { return DecodeInto(handle, pixels.data(), bytesPerLine); });
    if (report == kFailed)
        return {};
    const QImage::Format format = !alpha                     ? QImage::Format_RGB888
                                  : report == kPremultiplied ? QImage::Format_RGBA8888_Premultiplied
                                                             : QImage::Format_RGBA8888;
    // Borrows the shared pixels: what is returned is a copy of its own.
    const QImage view(pixels.data(), size.width(), size.height(), bytesPerLine, format);
    return fitted == size ? view.copy() : AreaScaled(view, fitted);
}

// The thumbnail picture to read, as pick says: from the smallest up, the first that covers the
// target, else the largest. Empty when the file has none.
Handle ChooseThumbnail(const heif_image_handle* primary, QSize target, PreviewPick pick) {
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0)
        return nullptr;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    std::vector<Handle> thumbnails;
    for (const heif_item_id id : ids) {
        heif_image_handle* thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &thumbnail).code == heif_error_Ok)
            thumbnails.emplace_back(thumbnail);
    }
    const auto pixels = [](const Handle& handle) {
        const QSize size = SizeOf(handle.get());
        return std::int64_t{size.width()} * size.height();
    };
    std::sort(thumbnails.begin(), thumbnails.end(),
              [&pixels](const Handle& a, const Handle& b) { return pixels(a) < pixels(b); });
    for (Handle& candidate : thumbnails) {
        const QSize size = SizeOf(candidate.get());
        if (pick == PreviewPick::SmallestCovering && size.width() >= target.width() && size.height() >= target.height())
            return std::move(candidate);
    }
    return thumbnails.empty() ? nullptr : std::move(thumbnails.back());
}

} // namespace

bool IsHeif(const QByteArray& start) {
    PrepareLibheif();
    const auto* bytes = reinterpret_cast<const uint8_t*>(start.constData());
    const int size = static_cast<int>(start.size());
    switch (heif_check_filetype(bytes, size)) {
    case heif_filetype_yes_supported:
        return true;
    case heif_filetype_yes_unsupported:
        // An AVIF image sequence: libheif 1.15 calls it unsupported, yet reads its still primary
        // picture, which is what a viewer shows of it.
        return heif_main_brand(bytes, size) == heif_avis;
    default:
        return false;
    }
}

std::optional<DecodeCost> HeifDecodeCost(QIODevice& device, QSize target) {
    std::optional<DecodeCost> cost;
    if (const std::optional<Opened> opened = Open(device)) {
        const LibraryUse use;
        cost = CostOf(opened->primary.get(), target);
        // The whole file sits in memory beside the decode.
        if (cost)
            cost->bytes += device.size();
    }
    device.seek(0);
    return cost;
}

QImage DecodeHeif(QIODevice& device, QSize target, const std::atomic<bool>* abandoned) {
    const std::optional<Opened> opened = Open(device, abandoned);
    if (!opened || target.isEmpty())
        return {};
    QSize fitted;
    QColorSpace colours;
    {
        const LibraryUse use;
        fitted = FittedSize(opened->primary.get(), target, /*enlarge=*/true);
        colours = ColourSpaceOf(opened->primary.get());
    }
    QImage image = DecodeFitted(opened->primary.get(), fitted, abandoned);
    image.setColorSpace(colours);
    return image;
}

QImage ReadHeifThumbnail(QIODevice& device, QSize target, PreviewPick pick) {
    const std::optional<Opened> opened = Open(device);
    if (!opened || target.isEmpty())
        return {};
    Handle thumbnail;
    QSize fitted;
    QColorSpace colours;
    {
        const LibraryUse use;
        thumbnail = ChooseThumbnail(opened->primary.get(), target, pick);
        const std::optional<DecodeCost> cost = thumbnail ? CostOf(thumbnail.get(), target) : std::nullopt;
        if (!cost || cost->bytes > kThumbnailBudgetBytes)
            return {};
        fitted = FittedSize(thumbnail.get(), target, /*enlarge=*/false);
        // A thumbnail made by the camera beside its picture is in the picture's colours, though it
        // seldom says so.
        colours = ColourSpaceOf(thumbnail.get());
        if (!colours.isValid())
            colours = ColourSpaceOf(opened->primary.get());
    }
    QImage image = DecodeFitted(thumbnail.get(), fitted, nullptr);
    image.setColorSpace(colours);
    return image;
}

} // namespace pelldrake
