#include "thumbs/image_cache.h"

#include <functional>

namespace pelldrake {

std::size_t ImageKeyHash::operator()(const ImageKey& key) const noexcept {
    std::size_t seed = std::hash<FilePath>{}(key.path);
    const auto mix = [&seed](std::size_t value) { seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2); };
    mix(static_cast<std::size_t>(key.target.width()));
    mix(static_cast<std::size_t>(key.target.height()));
    mix(static_cast<std::size_t>(key.preview));
    mix(std::hash<double>{}(key.region.centre.x()));
    mix(std::hash<double>{}(key.region.centre.y()));
    mix(static_cast<std::size_t>(key.region.extent.width()));
    return seed;
}

FileStamp FileStamp::FromStat(const struct stat& info) {
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    stamp.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return stamp;
}

std::optional<FileStamp> FileStamp::Of(const FilePath& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FromStat(info);
}

ImageCache::ImageCache(std::int64_t budgetBytes) : budget_(budgetBytes < 0 ? 0 : budgetBytes) {}

std::optional<QImage> ImageCache::Find(const ImageKey& key, const FileStamp& stamp) {
    const auto found = index_.find(key);
    if (found == index_.end())
        return std::nullopt;
    const Entries::iterator entry = found->second;
    if (entry->stamp != stamp) {
        Remove(entry);
        return std::nullopt;
    }
    entries_.splice(entries_.begin(), entries_, entry);
    return entry->image;
}

std::vector<QImage> ImageCache::FindParts(const FilePath& path, const FileStamp& stamp) const {
    std::vector<QImage> parts;
    for (const Entry& entry : entries_) {
        if (entry.key.path == path && !entry.key.region.isWhole() && entry.stamp == stamp)
            parts.push_back(entry.image);
    }
    return parts;
}

std::optional<QImage> ImageCache::FindLargest(const FilePath& path, const FileStamp& stamp) const {
    // A few hundred entries at most: a walk costs microseconds, far less than a decode.
    const Entry* largest = nullptr;
    for (const Entry& entry : entries_) {
        if (entry.key.path == path && !entry.key.preview && entry.key.target != kFullSizeTarget &&
            entry.key.region.isWhole() && entry.stamp == stamp &&
            (!largest || entry.image.width() > largest->image.width()))
            largest = &entry;
    }
    if (!largest)
        return std::nullopt;
    return largest->image;
}

void ImageCache::Insert(const ImageKey& key, const FileStamp& stamp, const QImage& image) {
    if (const auto found = index_.find(key); found != index_.end())
        Remove(found->second);
    const std::int64_t cost = image.sizeInBytes();
    if (cost > budget_)
        return;
    while (!entries_.empty() && bytes_ + cost > budget_)
        Remove(std::prev(entries_.end()));
    entries_.push_front(Entry{key, stamp, image, cost});
    index_.emplace(key, entries_.begin());
    bytes_ += cost;
}

void ImageCache::Remove(Entries::iterator it) {
    bytes_ -= it->cost;
    index_.erase(it->key);
    entries_.erase(it);
}

} // namespace pelldrake
