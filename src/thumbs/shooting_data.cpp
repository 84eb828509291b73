#include "thumbs/shooting_data.h"

#include "thumbs/declared_colours.h"
#include "thumbs/decode_budget.h"
#include "thumbs/jxl_exif.h"
#include "thumbs/jxl_file.h"

#include <QFile>
#include <exiv2/exiv2.hpp>
#include <fcntl.h>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

namespace pelldrake {
namespace {

// Cameras and editors put their metadata at the start; a file is not read further for it.
constexpr qint64 kMaxMetadataBytes = qint64{16} << 20;

// The first value found under these keys, EXIF before XMP.
std::string First(const Exiv2::ExifData& exif, const Exiv2::XmpData& xmp, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        std::string text;
        if (std::string_view(key).rfind("Xmp.", 0) == 0) {
            const auto found = xmp.findKey(Exiv2::XmpKey(key));
            if (found != xmp.end() && found->count() > 0)
                text = found->toString();
        } else {
            const auto found = exif.findKey(Exiv2::ExifKey(key));
            if (found != exif.end() && found->count() > 0)
                text = found->toString();
        }
        if (!text.empty())
            return text;
    }
    return {};
}

ShootingData FromMetadata(const Exiv2::ExifData& exif, const Exiv2::XmpData& xmp) {
    ShootingData data;
    data.camera = First(exif, xmp, {"Exif.Image.Model", "Xmp.tiff.Model"});
    data.lens = First(exif, xmp, {"Exif.Photo.LensModel", "Xmp.exifEX.LensModel", "Xmp.aux.Lens"});
    data.focalLength = First(exif, xmp, {"Exif.Photo.FocalLength", "Xmp.exif.FocalLength"});
    data.exposureTime = First(exif, xmp, {"Exif.Photo.ExposureTime", "Xmp.exif.ExposureTime"});
    data.fNumber = First(exif, xmp, {"Exif.Photo.FNumber", "Xmp.exif.FNumber"});
    data.iso = First(exif, xmp, {"Exif.Photo.ISOSpeedRatings", "Xmp.exif.ISOSpeedRatings"});
    data.taken =
        First(exif, xmp, {"Exif.Photo.DateTimeOriginal", "Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated"});
    return data;
}

ShootingData FromJxl(QFile& file) {
    const std::optional<JxlExif> box = ReadJxlExif(file);
    if (!box)
        return {};
    Exiv2::ExifData exif;
    Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(box->tiff.constData()),
                              static_cast<std::uint32_t>(box->tiff.size()));
    return FromMetadata(exif, Exiv2::XmpData());
}

ShootingData FromHead(QFile& file, qint64 size) {
    QByteArray head(static_cast<qsizetype>(std::min(size, kMaxMetadataBytes)), Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < head.size()) {
        const qint64 got = file.read(head.data() + filled, head.size() - filled);
        if (got <= 0)
            break;
        filled += got;
    }
    head.truncate(static_cast<qsizetype>(filled));
    const bool whole = filled == size;
    const std::unique_ptr<Exiv2::Image> image = Exiv2::ImageFactory::open(
        reinterpret_cast<const Exiv2::byte*>(head.constData()), static_cast<long>(head.size()));
    if (!image)
        return {};
    try {
        image->readMetadata();
    } catch (...) {
        // A file Exiv2 finds damaged says nothing; one cut short here may run on past its metadata,
        // which Exiv2 has read by then.
        if (whole)
            return {};
    }
    return FromMetadata(image->exifData(), image->xmpData());
}

} // namespace

ShootingData ReadShootingData(const FilePath& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat info {};
    QFile file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    PrepareExiv2();
    try {
        if (IsJxl(file.peek(kFormatSniffBytes)))
            return FromJxl(file);
        return FromHead(file, info.st_size);
    } catch (...) {
        // Exiv2 reports what it cannot make out by throwing.
        return {};
    }
}

} // namespace pelldrake
