#include "thumbs/image_loader.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace pelldrake {
namespace {

// Qt's JPEG reader takes a quality under 50 as leave to use the fast DCT and to scale by nearest
// neighbour, which leaves jagged edges in a thumbnail.
constexpr int kReadQuality = 75;

// Qt refuses images above 128 MiB of pixels by default; a panorama the user wants to sort is
// worth more than that when its format cannot be decoded at a reduced size.
constexpr int kAllocationLimitMiB = 1024;

struct Decoded {
    QImage image;
    std::optional<FileStamp> stamp;
};

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

Decoded DecodeFile(const FilePath& path, QSize target) {
    Decoded out;
    if (path.empty() || target.isEmpty())
        return out;

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

    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setQuality(kReadQuality);
    reader.setAllocationLimit(kAllocationLimitMiB);
    const QSize stored = reader.size();
    QImage image;
    if (stored.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        // The scaled size applies to the pixels as stored, before the orientation turns them.
        const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        const QSize fitted = ImageLoader::FitSize(turned ? stored.transposed() : stored, target);
        reader.setScaledSize(turned ? fitted.transposed() : fitted);
        image = reader.read();
    } else {
        image = reader.read();
        const QSize fitted = ImageLoader::FitSize(image.size(), target);
        if (!image.isNull() && image.size() != fitted)
            image = image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    out.image = Paintable(std::move(image));
    return out;
}

} // namespace

ImageLoader::ImageLoader(std::int64_t cacheBudgetBytes, int maxRunning, QObject* parent)
    : QObject(parent), maxRunning_(maxRunning > 0 ? maxRunning : std::max(1, QThread::idealThreadCount())),
      cache_(cacheBudgetBytes) {
    pool_.setMaxThreadCount(maxRunning_);
}

ImageLoader::~ImageLoader() {
    queue_.clear();
    wanted_.clear();
    // Running decodes post their results to this object; QObject discards those posts once the
    // workers are done and the object goes.
    pool_.waitForDone();
}

ImageLoader* ImageLoader::Shared() {
    static QPointer<ImageLoader> shared;
    if (!shared)
        shared = new ImageLoader(kDefaultCacheBudget, 0, QCoreApplication::instance());
    return shared;
}

QImage ImageLoader::Decode(const FilePath& path, QSize target) {
    return DecodeFile(path, target).image;
}

QSize ImageLoader::FitSize(QSize source, QSize target) {
    if (source.isEmpty() || target.isEmpty())
        return {};
    // A very long, thin image would otherwise round to no pixels at all.
    return source.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

std::optional<QImage> ImageLoader::Request(QObject* requester, const FilePath& path, QSize target, Delivery deliver) {
    Withdraw(requester);
    const std::optional<FileStamp> stamp = FileStamp::Of(path);
    if (!stamp || target.isEmpty())
        return QImage();
    ImageKey key{path, target};
    if (std::optional<QImage> cached = cache_.Find(key, *stamp))
        return cached;
    // A file just shown in one pane and now asked for by a smaller one (a sorted file moving
    // to its class pane) needs no second decode.
    if (QImage scaled = FromLargerCached(key, *stamp); !scaled.isNull())
        return scaled;

    Watch(requester);
    wanted_.insert_or_assign(requester, Wanted{key, std::move(deliver)});
    if (inFlight_.count(key) == 0) {
        std::erase_if(queue_, [&key](const Job& job) { return job.key == key; });
        queue_.push_front(Job{std::move(key), nullptr});
        StartQueued();
    }
    return std::nullopt;
}

QImage ImageLoader::FromLargerCached(const ImageKey& key, const FileStamp& stamp) {
    const std::optional<QImage> larger = cache_.FindLargest(key.path, stamp);
    if (!larger)
        return {};
    const QSize fitted = FitSize(larger->size(), key.target);
    if (larger->width() < fitted.width() || larger->height() < fitted.height())
        return {}; // only a new decode gives more pixels
    QImage scaled = larger->scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    cache_.Insert(key, stamp, scaled);
    return scaled;
}

void ImageLoader::Cancel(QObject* requester) {
    Withdraw(requester);
    DropReadAheadOf(requester);
}

void ImageLoader::ReadAhead(QObject* requester, const FilePathList& paths, QSize target) {
    DropReadAheadOf(requester);
    if (target.isEmpty())
        return;
    Watch(requester);
    std::unordered_set<ImageKey, ImageKeyHash> queued;
    for (const Job& job : queue_)
        queued.insert(job.key);
    for (const FilePath& path : paths) {
        ImageKey key{path, target};
        if (path.empty() || cache_.Contains(key) || inFlight_.count(key) != 0 || !queued.insert(key).second)
            continue;
        queue_.push_back(Job{std::move(key), requester});
    }
    StartQueued();
}

void ImageLoader::Watch(QObject* requester) {
    if (!watched_.insert(requester).second)
        return;
    connect(requester, &QObject::destroyed, this, [this](QObject* gone) {
        Cancel(gone);
        watched_.erase(gone);
    });
}

void ImageLoader::Withdraw(QObject* requester) {
    const auto found = wanted_.find(requester);
    if (found == wanted_.end())
        return;
    const ImageKey key = std::move(found->second.key);
    wanted_.erase(found);
    if (!IsWanted(key))
        std::erase_if(queue_, [&key](const Job& job) { return job.readAheadFor == nullptr && job.key == key; });
}

void ImageLoader::DropReadAheadOf(QObject* requester) {
    std::erase_if(queue_, [requester](const Job& job) { return job.readAheadFor == requester; });
}

bool ImageLoader::IsWanted(const ImageKey& key) const {
    return std::any_of(wanted_.begin(), wanted_.end(), [&key](const auto& entry) { return entry.second.key == key; });
}

void ImageLoader::StartQueued() {
    // Read-ahead never takes the last free worker: a decode that has started cannot be called
    // back, and the file the user asks for next must not wait behind one wanted later.
    const int readAheadSlots = maxRunning_ > 1 ? maxRunning_ - 1 : 1;
    while (running_ < maxRunning_ && !queue_.empty()) {
        const bool readAhead = queue_.front().readAheadFor != nullptr;
        if (readAhead && runningReadAhead_ >= readAheadSlots)
            break;
        ImageKey key = std::move(queue_.front().key);
        queue_.pop_front();
        inFlight_.insert(key);
        ++running_;
        if (readAhead)
            ++runningReadAhead_;
        pool_.start([loader = this, key = std::move(key), readAhead] {
            Decoded decoded = DecodeFile(key.path, key.target);
            QMetaObject::invokeMethod(
                loader,
                [loader, key, readAhead, decoded = std::move(decoded)] {
                    loader->Finish(key, readAhead, decoded.image, decoded.stamp);
                },
                Qt::QueuedConnection);
        });
    }
}

void ImageLoader::Finish(const ImageKey& key, bool readAhead, const QImage& image,
                         const std::optional<FileStamp>& stamp) {
    --running_;
    if (readAhead)
        --runningReadAhead_;
    inFlight_.erase(key);
    if (!image.isNull() && stamp)
        cache_.Insert(key, *stamp, image);

    std::vector<Delivery> deliveries;
    for (auto it = wanted_.begin(); it != wanted_.end();) {
        if (it->second.key == key) {
            deliveries.push_back(std::move(it->second.deliver));
            it = wanted_.erase(it);
        } else {
            ++it;
        }
    }
    // Keep the pool busy before handing out results, which may ask for more.
    StartQueued();
    for (const Delivery& deliver : deliveries)
        deliver(image);
}

} // namespace pelldrake
