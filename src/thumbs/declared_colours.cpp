#include "thumbs/declared_colours.h"

#include <QByteArray>
#include <exiv2/exiv2.hpp>
#include <string>

namespace pelldrake {
namespace {

constexpr long kExifUncalibrated = 0xFFFF;

std::string TextOf(const Exiv2::ExifData& exif, const char* key) {
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found == exif.end() ? std::string() : found->toString();
}

} // namespace

QColorSpace DeclaredColourSpace(Exiv2::Image& image) {
    try {
        if (image.iccProfileDefined()) {
            const Exiv2::DataBuf* icc = image.iccProfile();
            if (icc != nullptr && icc->size_ > 0)
                return QColorSpace::fromIccProfile(
                    QByteArray(reinterpret_cast<const char*>(icc->pData_), static_cast<qsizetype>(icc->size_)));
        }
        const Exiv2::ExifData& exif = image.exifData();
        const auto space = exif.findKey(Exiv2::ExifKey("Exif.Photo.ColorSpace"));
        if (space != exif.end() && space->count() > 0 && space->toLong() == kExifUncalibrated &&
            TextOf(exif, "Exif.Iop.InteroperabilityIndex").rfind("R03", 0) == 0)
            return QColorSpace(QColorSpace::AdobeRgb);
    } catch (...) {
        // What Exiv2 cannot make out declares nothing.
    }
    return {};
}

QColorSpace DeclaredColourSpace(int fd) {
    if (fd < 0)
        return {};
    try {
        const std::unique_ptr<Exiv2::Image> image = OpenWithExiv2(fd);
        return image ? DeclaredColourSpace(*image) : QColorSpace();
    } catch (...) {
        return {};
    }
}

std::unique_ptr<Exiv2::Image> OpenWithExiv2(int fd) {
    PrepareExiv2();
    // Exiv2 opens files by name; the descriptor's own name in /proc is the very file the caller
    // examined, whatever happens to its path meanwhile.
    std::unique_ptr<Exiv2::Image> image = Exiv2::ImageFactory::open("/proc/self/fd/" + std::to_string(fd), false);
    if (image)
        image->readMetadata();
    return image;
}

} // namespace pelldrake
