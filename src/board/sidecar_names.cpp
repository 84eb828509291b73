#include "board/sidecar_names.h"

#include <array>
#include <initializer_list>
#include <sys/stat.h>

namespace pelldrake::sidecar_names {

namespace {

constexpr std::array<std::string_view, 3> kOwnSuffixes{".xmp", ".pp3", ".dop"};
constexpr std::array<std::string_view, 2> kSharedSuffixes{".xmp", ".aae"};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// name is stem followed by one of the suffixes.
template <std::size_t N>
bool IsStemWithSuffix(std::string_view name, std::string_view stem, const std::array<std::string_view, N>& suffixes) {
    if (stem.empty() || name.size() <= stem.size() || !name.starts_with(stem))
        return false;
    const std::string_view rest = name.substr(stem.size());
    for (std::string_view suffix : suffixes) {
        if (EqualsIgnoringAsciiCase(rest, suffix))
            return true;
    }
    return false;
}

} // namespace

bool HasExtension(std::string_view fileName, std::initializer_list<std::string_view> extensions) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return false;
    const std::string_view extension = fileName.substr(dot + 1);
    for (std::string_view candidate : extensions) {
        if (EqualsIgnoringAsciiCase(extension, candidate))
            return true;
    }
    return false;
}

bool IsCameraRaw(std::string_view fileName) {
    return HasExtension(fileName, {"cr2", "cr3", "crw", "nef", "nrw", "arw", "srf", "sr2", "dng", "orf", "rw2", "raf",
                                   "pef", "srw", "rwl", "3fr", "erf", "kdc", "mrw", "x3f", "iiq", "mos", "dcr"});
}

bool IsJpeg(std::string_view fileName) {
    return HasExtension(fileName, {"jpg", "jpeg"});
}

bool IsSidecar(std::string_view fileName) {
    for (std::string_view suffix : {".xmp", ".pp3", ".dop", ".aae"}) {
        if (fileName.size() > suffix.size() &&
            EqualsIgnoringAsciiCase(fileName.substr(fileName.size() - suffix.size()), suffix))
            return true;
    }
    return false;
}

std::string_view BaseName(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string_view() : fileName.substr(0, dot);
}

Relation RelationOf(std::string_view sidecar, std::string_view picture) {
    if (IsStemWithSuffix(sidecar, picture, kOwnSuffixes))
        return Relation::Own;
    if (IsStemWithSuffix(sidecar, BaseName(picture), kSharedSuffixes))
        return Relation::SharedByBaseName;
    return Relation::None;
}

std::string XmpAsSpelledOnDisk(const std::string& path) {
    struct stat info {};
    if (!path.ends_with(".xmp") || ::lstat(path.c_str(), &info) == 0)
        return path;
    const std::string upper = path.substr(0, path.size() - 4) + ".XMP";
    return ::lstat(upper.c_str(), &info) == 0 ? upper : path;
}

} // namespace pelldrake::sidecar_names
