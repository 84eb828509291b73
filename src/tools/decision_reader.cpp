#include "tools/decision_reader.h"

#include "board/sidecar_names.h"
#include "platform/exiv2_setup.h"
#include "platform/file_info.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <exiv2/exiv2.hpp>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

namespace pelldrake {
namespace {

// A darktable sidecar with a long develop history runs to a few hundred kilobytes.
constexpr std::size_t kMaxSidecarBytes = std::size_t{8} << 20;
// A JPEG's metadata lies in the segments before its first scan: EXIF in one of 64 KiB, XMP in one
// or, extended, several. Further than this a file is not read for its metadata.
constexpr std::size_t kMaxJpegHeaderBytes = std::size_t{16} << 20;
// Other formats (TIFF and the raw files built on it, PNG, HEIF) keep their metadata near the start;
// Exiv2 skips what points past the bytes it is given.
constexpr std::size_t kMaxPrefixBytes = std::size_t{1} << 20;
// What one read takes at first: a camera JPEG's whole header.
constexpr std::size_t kFirstReadBytes = std::size_t{64} << 10;

// One source's say: each field only when the source carries it.
struct Found {
    std::optional<int> rating;
    std::optional<ColourLabel> label;

    bool Any() const { return rating || label; }
    Decision Decided() const { return {rating.value_or(Decision::kUnrated), label.value_or(ColourLabel::None)}; }
};

class OpenFile {
public:
    explicit OpenFile(const FilePath& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~OpenFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    // The size of the regular file open here, or nothing (a folder, a device, no file at all).
    std::optional<std::size_t> RegularSize() const {
        if (fd_ < 0)
            return std::nullopt;
        const std::optional<FileInfo> info = StatOpenFile(fd_);
        if (!info || !info->IsRegular() || info->size < 0)
            return std::nullopt;
        return static_cast<std::size_t>(info->size);
    }
    // Appends bytes from the end of what bytes holds until it holds wanted, or the file ends; false
    // when a read fails.
    bool ReadUpTo(std::string& bytes, std::size_t wanted) const {
        while (bytes.size() < wanted) {
            const std::size_t at = bytes.size();
            bytes.resize(wanted);
            const ssize_t got = ::pread(fd_, bytes.data() + at, wanted - at, static_cast<off_t>(at));
            if (got <= 0) {
                bytes.resize(at);
                return got == 0;
            }
            bytes.resize(at + static_cast<std::size_t>(got));
        }
        return true;
    }

private:
    int fd_;
};

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

Found FromXmp(const Exiv2::XmpData& xmp) {
    Found found;
    if (const auto rating = xmp.findKey(Exiv2::XmpKey("Xmp.xmp.Rating")); rating != xmp.end())
        found.rating = RatingFromText(rating->toString());
    if (const auto label = xmp.findKey(Exiv2::XmpKey("Xmp.xmp.Label")); label != xmp.end())
        found.label = LabelFromText(label->toString());
    return found;
}

Found FromSidecar(const FilePath& path) {
    const OpenFile file(path);
    const std::optional<std::size_t> size = file.RegularSize();
    std::string bytes;
    if (!size || *size == 0 || *size > kMaxSidecarBytes || !file.ReadUpTo(bytes, *size) || bytes.size() != *size)
        return {};
    try {
        Exiv2::XmpData xmp;
        if (Exiv2::XmpParser::decode(xmp, bytes) != 0)
            return {};
        return FromXmp(xmp);
    } catch (...) {
        return {};
    }
}

std::uint32_t BigEndian16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 8 |
           static_cast<unsigned char>(bytes[at + 1]);
}

// Reads a JPEG's segments up to and including the marker of its first scan, where its metadata
// ends; false when they run past the limit or the file is not a JPEG laid out as one.
bool ReadJpegHeader(const OpenFile& file, std::size_t size, std::string& bytes) {
    const std::size_t limit = std::min(size, kMaxJpegHeaderBytes);
    std::size_t at = 2;
    for (;;) {
        if (at + 4 > bytes.size() &&
            (at + 4 > limit || !file.ReadUpTo(bytes, std::min(limit, std::max(at + 4, bytes.size() * 2)))))
            return false;
        if (at + 4 > bytes.size() || static_cast<unsigned char>(bytes[at]) != 0xFF)
            return false;
        const auto marker = static_cast<unsigned char>(bytes[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
        } else if (marker == 0xDA || marker == 0xD9) { // start of scan, or an image without one
            bytes.resize(at + 2);
            return true;
        } else if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length follows
            at += 2;
        } else {
            at += 2 + BigEndian16(bytes, at + 2);
        }
    }
}

Found FromPicture(const FilePath& path) {
    const OpenFile file(path);
    const std::optional<std::size_t> size = file.RegularSize();
    std::string bytes;
    if (!size || !file.ReadUpTo(bytes, std::min(*size, kFirstReadBytes)) || bytes.size() < 2)
        return {};
    const bool jpeg = static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xD8;
    if (jpeg ? !ReadJpegHeader(file, *size, bytes) : !file.ReadUpTo(bytes, std::min(*size, kMaxPrefixBytes)))
        return {};
    try {
        PrepareExiv2();
        const std::unique_ptr<Exiv2::Image> image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte*>(bytes.data()), static_cast<long>(bytes.size()));
        if (!image)
            return {};
        image->readMetadata();
        Found found = FromXmp(image->xmpData());
        // The camera's own field, when no editor wrote the XMP one into the file.
        if (!found.rating) {
            const Exiv2::ExifData& exif = image->exifData();
            const auto rating = exif.findKey(Exiv2::ExifKey("Exif.Image.Rating"));
            if (rating != exif.end() && rating->count() > 0)
                found.rating = RatingFromText(rating->toString());
        }
        return found;
    } catch (...) {
        // Exiv2 reports a damaged or unknown file by throwing: it decides nothing.
        return {};
    }
}

} // namespace

DecisionSidecars SidecarsOf(const FilePath& picture) {
    DecisionSidecars sidecars{sidecar_names::XmpAsSpelledOnDisk(picture + ".xmp"), {}};
    const std::size_t slash = picture.rfind('/');
    const std::size_t nameStart = slash == FilePath::npos ? 0 : slash + 1;
    const std::string_view base = sidecar_names::BaseName(std::string_view(picture).substr(nameStart));
    if (!base.empty())
        sidecars.shared = sidecar_names::XmpAsSpelledOnDisk(picture.substr(0, nameStart) + std::string(base) + ".xmp");
    return sidecars;
}

Decision ReadDecision(const FilePath& path) {
    PrepareExiv2();
    const DecisionSidecars sidecars = SidecarsOf(path);
    for (const FilePath* sidecar : {&sidecars.own, &sidecars.shared}) {
        if (sidecar->empty())
            continue;
        if (const Found found = FromSidecar(*sidecar); found.Any())
            return found.Decided();
    }
    return FromPicture(path).Decided();
}

int RatingFromText(std::string_view text) {
    text = Trimmed(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return Decision::kUnrated;
    if (value < 0)
        return Decision::kRejected;
    const long stars = std::lround(value);
    return stars <= 5 ? static_cast<int>(stars) : Decision::kUnrated;
}

ColourLabel LabelFromText(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, ColourLabel>, 5> kLabels{{{"red", ColourLabel::Red},
                                                                                      {"yellow", ColourLabel::Yellow},
                                                                                      {"green", ColourLabel::Green},
                                                                                      {"blue", ColourLabel::Blue},
                                                                                      {"purple", ColourLabel::Purple}}};
    text = Trimmed(text);
    for (const auto& [name, label] : kLabels) {
        if (text.size() == name.size() && std::equal(text.begin(), text.end(), name.begin(), [](char a, char b) {
                return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
            }))
            return label;
    }
    return ColourLabel::None;
}

} // namespace pelldrake
