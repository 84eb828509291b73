#include "platform/volume_rules.h"

#include <cerrno>
#include <cstring>
#include <linux/magic.h>
#include <sys/statfs.h>

namespace pelldrake {

namespace {

constexpr unsigned long kExFatMagic = 0x2011BAB0;
// A FAT32 directory entry holds the size in 32 bits.
constexpr std::int64_t kLargestFatFile = 0xFFFFFFFF;

bool NameAllowed(const FilePath& name) {
    if (name.empty())
        return false;
    // Windows, the card's other reader, cannot open a name that ends so, and Linux quietly drops
    // the dots: a file would land under another name than the one asked for.
    if (name.back() == '.' || name.back() == ' ')
        return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\"*/:<>?\\|", c))
            return false;
    }
    return true;
}

} // namespace

VolumeKind VolumeKindOf(const FilePath& folder) {
    struct statfs info {};
    if (::statfs(folder.c_str(), &info) != 0)
        return VolumeKind::Other;
    const auto type = static_cast<unsigned long>(info.f_type);
    if (type == MSDOS_SUPER_MAGIC)
        return VolumeKind::Fat;
    if (type == kExFatMagic)
        return VolumeKind::ExFat;
    return VolumeKind::Other;
}

int RefusedOn(VolumeKind kind, const FilePath& name, std::int64_t size) {
    if (kind == VolumeKind::Other)
        return 0;
    if (!NameAllowed(name))
        return EINVAL;
    if (kind == VolumeKind::Fat && size > kLargestFatFile)
        return EFBIG;
    return 0;
}

} // namespace pelldrake
