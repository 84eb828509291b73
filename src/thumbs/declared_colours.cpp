#include "thumbs/declared_colours.h"

#include <QByteArray>
#include <exiv2/exiv2.hpp>
#include <mutex>
#include <string>

namespace pelldrake {
namespace {

constexpr long kExifUncalibrated = 0xFFFF;

std::string TextOf(const Exiv2::ExifData& exif, const char* key) {
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    return found == exif.end() ? std::string() : found->toString();
}

} // namespace

void PrepareExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        // The XMP parser keeps global state that must be set up before two threads use it, and
        // registers each namespace it meets in a packet in a table of its own: under a lock, as
        // sidecars are read and written on other threads than the pictures are decoded on.
        static std::recursive_mutex namespaces;
        Exiv2::XmpParser::initialize(
            [](void* lock, bool locking) {
                auto* mutex = static_cast<std::recursive_mutex*>(lock);
                if (locking)
                    mutex->lock();
                else
                    mutex->unlock();
            },
            &namespaces);
        // A damaged file is an ordinary event here; Exiv2 would print a warning for each one.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        // Canon's CR3 files are boxes of the ISO base media format, which Exiv2 0.27 reads only
        // when asked to.
        Exiv2::enableBMFF(true);
    });
}

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
