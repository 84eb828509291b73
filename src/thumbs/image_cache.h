#pragma once

#include "core/types.h"
#include "thumbs/picture_region.h"

#include <QImage>
#include <QSize>
#include <cstdint>
#include <list>
#include <optional>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

namespace pelldrake {

// The target that asks for a picture at its own size, one image pixel a pixel, however large: a
// size no view has.
inline constexpr QSize kFullSizeTarget{1 << 24, 1 << 24};

// What a decoded image is known by: the file's bytes-exact path, the size it was fitted into,
// whether it is the file's embedded preview rather than its own pixels, and the part of the
// picture at its own size asked for.
struct ImageKey {
    FilePath path;
    QSize target;
    bool preview = false;
    PictureRegion region = {};

    bool operator==(const ImageKey& other) const = default;
};

struct ImageKeyHash {
    std::size_t operator()(const ImageKey& key) const noexcept;
};

// Identifies one version of a file's content, so that a picture edited or replaced on disk is
// decoded again instead of being served from memory.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    // Apart, not as one count of nanoseconds: that overflows for times after the year 2262.
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileStamp& other) const = default;

    static FileStamp FromStat(const struct stat& info);
    // Empty when the path does not name a regular file that can be examined.
    static std::optional<FileStamp> Of(const FilePath& path);
};

// Decoded images costed by their pixel bytes; the least recently used leave first once the
// budget would be exceeded. Belongs to one thread.
class ImageCache {
public:
    explicit ImageCache(std::int64_t budgetBytes);

    // The image held for key when it was decoded from the same version of the file. A held
    // image of an older version is dropped.
    std::optional<QImage> Find(const ImageKey& key, const FileStamp& stamp);
    bool Contains(const ImageKey& key) const { return index_.count(key) != 0; }

    // The largest image held of this version of the file at any size, from which a smaller one
    // can be scaled instead of decoding the file again. Previews do not count, nor pictures at their
    // own size: scaling a camera's picture down on the user-interface thread takes longer than
    // decoding the file at the smaller size off it.
    std::optional<QImage> FindLargest(const FilePath& path, const FileStamp& stamp) const;

    // The parts of this version of the file's picture at its own size that are held (see PictureRegion).
    std::vector<QImage> FindParts(const FilePath& path, const FileStamp& stamp) const;

    // An image larger than the whole budget is not kept.
    void Insert(const ImageKey& key, const FileStamp& stamp, const QImage& image);

    std::int64_t bytes() const { return bytes_; }
    std::int64_t budget() const { return budget_; }
    int count() const { return static_cast<int>(entries_.size()); }

private:
    struct Entry {
        ImageKey key;
        FileStamp stamp;
        QImage image;
        std::int64_t cost = 0;
    };
    using Entries = std::list<Entry>; // most recently used first

    void Remove(Entries::iterator it);

    std::int64_t budget_;
    std::int64_t bytes_ = 0;
    Entries entries_;
    std::unordered_map<ImageKey, Entries::iterator, ImageKeyHash> index_;
};

} // namespace pelldrake
