#include "thumbs/file_decode.h"

#include "thumbs/abandonable_file.h"
#include "thumbs/area_scale.h"
#include "thumbs/declared_colours.h"
#include "thumbs/decode_budget.h"
#include "thumbs/embedded_preview.h"
#include "thumbs/heif_file.h"
#include "thumbs/jpeg_layout.h"
#include "thumbs/jxl_file.h"
#include "thumbs/shown_colours.h"
#include "thumbs/spliced_device.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pelldrake {
namespace {

// Read by small decodes, which are done before the next key press and worth keeping.
const std::atomic<bool> kNeverAbandoned{false};

// Qt's JPEG reader takes a quality under 50 as leave to use the fast DCT and to scale by nearest
// neighbour, which leaves jagged edges in a thumbnail.
constexpr int kReadQuality = 75;

// Qt refuses images above 128 MiB of pixels by default; a panorama the user wants to sort is
// worth more than that when its format cannot be decoded at a reduced size.
constexpr int kAllocationLimitMiB = 1024;

// Readers that decode fewer pixels when asked for a smaller size: JPEG by its DCT scaling, the
// vector formats by drawing at that size. The others (PNG among them) decode every pixel and then
// scale a full-size 32-bit copy of them, four bytes a pixel over a one-byte grey picture: those
// pictures are read whole and shrunk here in strips.
bool DecodesLessWhenAskedSmaller(const QByteArray& format) {
    return format == "jpeg" || format == "svg" || format == "svgz";
}

// Pixels in a format the raster engine draws directly, so painting never converts them on the
// user-interface thread.
QImage Paintable(QImage image) {
    if (image.isNull())
        return image;
    const QImage::Format wanted = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted)
        image.convertTo(wanted);
    return image;
}

// The picture as the screen shows it: in the screen's colours, in a format painted directly.
QImage Shown(QImage image, const QColorSpace& screen) {
    return InScreenColours(Paintable(std::move(image)), screen);
}

// The picture fitted to target by Qt's readers, which know the format from the bytes.
// Only region of the picture at its own size, when the reader can decode a part alone (JPEG);
// empty when it cannot, or the part is the whole.
QImage DecodePart(QImageReader& reader, const PictureRegion& region, std::optional<RegionPlacement>& placed) {
    const QSize stored = reader.size();
    if (region.isWhole() || !stored.isValid() || !reader.supportsOption(QImageIOHandler::ClipRect))
        return {};
    const QImageIOHandler::Transformations turn = reader.transformation();
    const QSize picture = turn.testFlag(QImageIOHandler::TransformationRotate90) ? stored.transposed() : stored;
    const QRect rect = RegionRect(region, picture);
    if (rect.isEmpty() || rect == QRect(QPoint(0, 0), picture))
        return {};
    reader.setClipRect(StoredRect(rect, stored, turn));
    QImage part = reader.read();
    if (part.size() == rect.size())
        placed = RegionPlacement{rect, picture};
    return part;
}

QImage DecodeWithQt(QIODevice& device, QSize target, const PictureRegion& region,
                    std::optional<RegionPlacement>& placed) {
    // Qt's JPEG reader keeps every comment and application segment in memory, however many the
    // file holds: it reads the file without those it does not need.
    std::optional<SplicedDevice> spliced;
    if (const std::optional<JpegLayout> layout = ReadJpegLayout(device))
        spliced.emplace(device, layout->decodable);
    device.seek(0);
    QImageReader reader(spliced ? static_cast<QIODevice*>(&*spliced) : &device);
    reader.setAutoTransform(true);
    reader.setQuality(kReadQuality);
    reader.setAllocationLimit(kAllocationLimitMiB);
    if (QImage part = DecodePart(reader, region, placed); placed)
        return part;
    const QSize stored = reader.size();
    QImage image;
    if (stored.isValid() && DecodesLessWhenAskedSmaller(reader.format()) &&
        reader.supportsOption(QImageIOHandler::ScaledSize)) {
        // The scaled size applies to the pixels as stored, before the orientation turns them.
        const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        const QSize fitted = FitSize(turned ? stored.transposed() : stored, target);
        reader.setScaledSize(turned ? fitted.transposed() : fitted);
        image = reader.read();
    } else {
        image = reader.read();
        const QSize fitted = FitSize(image.size(), target);
        if (!image.isNull() && image.size() != fitted) {
            const QColorSpace colours = image.colorSpace();
            image = AreaScaled(image, fitted);
            image.setColorSpace(colours);
        }
    }
    return image;
}

bool IsJpeg(const QByteArray& head) {
    return head.startsWith("\xFF\xD8");
}

} // namespace

QSize FitSize(QSize source, QSize target) {
    if (source.isEmpty() || target.isEmpty())
        return {};
    // A very long, thin image would otherwise round to no pixels at all.
    return source.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

DecodedFile DecodeFile(const FilePath& path, QSize target, const std::atomic<bool>* abandoned,
                       const PictureRegion& region) {
    DecodedFile out;
    if (path.empty() || target.isEmpty())
        return out;
    const QColorSpace screen = ScreenColourSpace();

    // Opened by its bytes: a name that is not valid UTF-8 would not survive a trip through
    // QString. O_NONBLOCK keeps a FIFO from holding the worker; it is refused just below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return out;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return out;
    }
    out.stamp = FileStamp::FromStat(info);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd); // a failed open leaves the descriptor with us
        return out;
    }

    // At its own size: the square of its longer side fits it unscaled, whichever way it is turned.
    QSize wholeAtOwnSize;
    if (target == kFullSizeTarget) {
        const std::optional<DecodeCost> header = EstimateDecodeCost(file, QSize(1, 1));
        if (!header || header->stored.isEmpty())
            return out;
        const int side = std::max(header->stored.width(), header->stored.height());
        target = QSize(side, side);
        wholeAtOwnSize = target;
    }
    // The header first: a file of a few kilobytes may claim billions of pixels.
    const std::optional<DecodeCost> cost = EstimateDecodeCost(file, target);
    if (cost && !IsWithinBudget(*cost)) {
        out.refusal = DecodeRefusal{cost->stored, cost->bytes};
        // What the camera embedded is small and bounded: the user still sees what the file is.
        out.image = Shown(ReadEmbeddedPreview(file.handle(), target, PreviewPick::Largest), screen);
        return out;
    }
    // Slow to decode, or heavy: worth giving up when nobody wants it any more.
    const bool large = cost && (cost->bytes > kLargeDecodeBytes || cost->pixels > kLargeDecodePixels);
    const std::atomic<bool>& stop = large && abandoned != nullptr ? *abandoned : kNeverAbandoned;
    const std::optional<DecodeMemory> memory = DecodeMemory::Reserve(cost ? cost->bytes : 0, &stop);
    if (!memory) {
        out.abandoned = true;
        return out;
    }

    AbandonableFile device(file, stop);
    const QByteArray head = device.peek(kFormatSniffBytes);
    // A part is asked for only at the picture's own size; the other decoders give the whole.
    std::optional<RegionPlacement> placed;
    const PictureRegion part = target == wholeAtOwnSize ? region : PictureRegion{};
    QImage image = IsHeif(head)  ? DecodeHeif(device, target, &stop)
                   : IsJxl(head) ? DecodeJxl(device, target)
                                 : DecodeWithQt(device, target, part, placed);
    // What a decoder made of half a file is not the picture; one that nobody wants any more by
    // the time it ends is dropped, the same whether its reads noticed or not.
    if (device.wasAbandoned() || stop.load(std::memory_order_relaxed)) {
        out.abandoned = true;
        return out;
    }
    // Camera raw files: Qt cannot decode their pixels, the camera put a picture of them inside.
    if (image.isNull())
        image = ReadEmbeddedPreview(file.handle(), target, PreviewPick::Largest);
    else if (!image.colorSpace().isValid() && IsJpeg(head))
        image.setColorSpace(DeclaredColourSpace(file.handle()));
    out.image = Shown(std::move(image), screen);
    if (placed)
        SetPlacement(out.image, *placed);
    return out;
}

PreviewRead ReadPreviewFile(const FilePath& path, QSize target) {
    PreviewRead out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return out;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        out.stamp = FileStamp::FromStat(info);
        out.image = Shown(ReadEmbeddedPreview(fd, target, PreviewPick::SmallestCovering), ScreenColourSpace());
    }
    ::close(fd);
    return out;
}

} // namespace pelldrake
