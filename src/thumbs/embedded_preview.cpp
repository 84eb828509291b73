#include "thumbs/embedded_preview.h"

#include "thumbs/declared_colours.h"
#include "thumbs/decode_budget.h"
#include "thumbs/heif_file.h"
#include "thumbs/jxl_exif.h"
#include "thumbs/jxl_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QTransform>
#include <exiv2/exiv2.hpp>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace pelldrake {
namespace {

// A preview is a few megapixels at most; one claiming more is refused before any pixel is
// allocated.
constexpr int kPreviewAllocationLimitMiB = 256;

bool Covers(const Exiv2::PreviewProperties& preview, QSize target) {
    const auto width = static_cast<std::int64_t>(preview.width_);
    const auto height = static_cast<std::int64_t>(preview.height_);
    // Either way round: the orientation may still turn it.
    return (width >= target.width() && height >= target.height()) ||
           (width >= target.height() && height >= target.width());
}

const Exiv2::PreviewProperties* Choose(const Exiv2::PreviewPropertiesList& previews, QSize target, PreviewPick pick) {
    // Exiv2 lists them from the smallest to the largest.
    if (previews.empty())
        return nullptr;
    if (pick == PreviewPick::SmallestCovering) {
        for (const Exiv2::PreviewProperties& preview : previews)
            if (Covers(preview, target))
                return &preview;
    }
    return &previews.back();
}

int OrientationOf(const Exiv2::ExifData& exif) {
    const auto found = Exiv2::orientation(exif);
    if (found == exif.end() || found->count() == 0)
        return 1;
    return static_cast<int>(found->toLong());
}

QImage Decode(const Exiv2::byte* data, std::size_t size, QSize target, int orientation) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kPreviewAllocationLimitMiB);
    const QSize stored = reader.size();
    const bool turned = orientation >= 5 && orientation <= 8;
    if (stored.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        const QSize upright = turned ? stored.transposed() : stored;
        if (upright.width() > target.width() || upright.height() > target.height()) {
            const QSize fitted = upright.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
            reader.setScaledSize(turned ? fitted.transposed() : fitted);
        }
    }
    QImage image = reader.read();
    if (image.isNull())
        return image;
    image = Oriented(image, orientation);
    if (image.width() > target.width() || image.height() > target.height())
        image = image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// The camera's thumbnail from the EXIF block a JPEG XL file carries.
QImage ReadJxlThumbnail(QIODevice& device, QSize target) {
    const std::optional<JxlExif> exif = ReadJxlExif(device);
    if (!exif)
        return {};
    PrepareExiv2();
    try {
        Exiv2::ExifData data;
        Exiv2::ExifParser::decode(data, reinterpret_cast<const Exiv2::byte*>(exif->tiff.constData()),
                                  static_cast<std::uint32_t>(exif->tiff.size()));
        const Exiv2::DataBuf thumbnail = Exiv2::ExifThumbC(data).copy();
        if (thumbnail.size_ <= 0)
            return {};
        return Decode(thumbnail.pData_, static_cast<std::size_t>(thumbnail.size_), target, exif->orientation);
    } catch (...) {
        return {};
    }
}

} // namespace

QImage Oriented(const QImage& image, int exifOrientation) {
    // EXIF 2 to 8 as mirror, flip and a quarter turn clockwise, applied in that order.
    static constexpr struct {
        bool mirror, flip, quarter;
    } kSteps[] = {
        {false, false, false}, {true, false, false}, {true, true, false}, {false, true, false},
        {false, true, true},   {false, false, true}, {true, false, true}, {true, true, true},
    };
    if (image.isNull() || exifOrientation < 2 || exifOrientation > 8)
        return image;
    const auto& step = kSteps[exifOrientation - 1];
    QImage out = image.mirrored(step.mirror, step.flip);
    if (step.quarter)
        out = out.transformed(QTransform().rotate(90));
    return out;
}

QImage ReadEmbeddedPreview(int fd, QSize target, PreviewPick pick) {
    if (fd < 0 || target.isEmpty())
        return {};
    QFile file;
    const QByteArray head = file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) && file.seek(0)
                                ? file.peek(kFormatSniffBytes)
                                : QByteArray();
    // A HEIF file's thumbnail is a coded picture of its own, which only libheif decodes.
    if (IsHeif(head))
        return ReadHeifThumbnail(file, target, pick);
    // Exiv2 0.27 finds no EXIF in a JPEG XL file, and would read its whole codestream box.
    if (IsJxl(head))
        return ReadJxlThumbnail(file, target);
    try {
        const std::unique_ptr<Exiv2::Image> image = OpenWithExiv2(fd);
        if (!image)
            return {};
        Exiv2::PreviewManager manager(*image);
        const Exiv2::PreviewPropertiesList previews = manager.getPreviewProperties();
        const Exiv2::PreviewProperties* chosen = Choose(previews, target, pick);
        if (chosen == nullptr)
            return {};
        const Exiv2::PreviewImage preview = manager.getPreviewImage(*chosen);
        QImage shown = Decode(preview.pData(), preview.size(), target, OrientationOf(image->exifData()));
        // The camera made its previews in the colours of the picture, though they seldom say so.
        if (!shown.isNull() && !shown.colorSpace().isValid())
            shown.setColorSpace(DeclaredColourSpace(*image));
        return shown;
    } catch (...) {
        // Exiv2 reports a damaged or unknown file by throwing; either way there is no preview.
        return {};
    }
}

QImage ReadEmbeddedPreview(const FilePath& path, QSize target, PreviewPick pick) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat info {};
    QImage image;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        image = ReadEmbeddedPreview(fd, target, pick);
    ::close(fd);
    return image;
}

} // namespace pelldrake
