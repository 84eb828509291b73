#include "thumbs/image_loader.h"

#include "thumbs/file_decode.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <utility>
#include <vector>

namespace pelldrake {
namespace {

// More threads than this the loader never uses, however much stale work holds them.
int ThreadCap(int maxRunning) {
    return 2 * maxRunning + 1;
}

constexpr std::size_t kMaxRememberedRefusals = 256;
constexpr std::size_t kMaxRememberedWithoutPreview = 4096;

} // namespace

struct ImageLoader::Result {
    DecodedFile decoded;
};

ImageLoader::ImageLoader(std::int64_t cacheBudgetBytes, int maxRunning, QObject* parent)
    : QObject(parent), maxRunning_(maxRunning > 0 ? maxRunning : std::max(1, QThread::idealThreadCount())),
      cache_(cacheBudgetBytes) {
    pool_.setMaxThreadCount(ThreadCap(maxRunning_));
    previewPool_.setMaxThreadCount(1);
}

ImageLoader::~ImageLoader() {
    queue_.clear();
    wanted_.clear();
    for (auto& [key, running] : inFlight_)
        running.abandoned->store(true);
    previewQueue_.clear();
    // Running decodes post their results to this object; QObject discards those posts once the
    // workers are done and the object goes.
    pool_.waitForDone();
    previewPool_.waitForDone();
}

ImageLoader* ImageLoader::Shared() {
    static QPointer<ImageLoader> shared;
    if (!shared)
        shared = new ImageLoader(kDefaultCacheBudget, 0, QCoreApplication::instance());
    return shared;
}

QImage ImageLoader::Decode(const FilePath& path, QSize target) {
    return DecodeFile(path, target, nullptr).image;
}

QSize ImageLoader::FitSize(QSize source, QSize target) {
    return pelldrake::FitSize(source, target);
}

std::optional<QImage> ImageLoader::Request(QObject* requester, const FilePath& path, QSize target, Delivery deliver,
                                           Delivery deliverPreview, Decoding decoding, const PictureRegion& region) {
    Withdraw(requester);
    const std::optional<FileStamp> stamp = FileStamp::Of(path);
    if (!stamp || target.isEmpty())
        return QImage();
    ImageKey key{path, target, false, region};
    if (std::optional<QImage> cached = cache_.Find(key, *stamp))
        return cached;
    // A refused file is asked again only for its embedded preview, unless it is known to have none.
    if (const auto refused = refused_.find(path); refused != refused_.end() && refused->second.stamp == *stamp) {
        const auto none = withoutPreview_.find(path);
        if (none != withoutPreview_.end() && none->second == *stamp)
            return QImage();
    }
    // A file just shown in one pane and now asked for by a smaller one (a sorted file moving
    // to its class pane) needs no second decode.
    if (QImage scaled = FromLargerCached(key, *stamp); !scaled.isNull())
        return scaled;

    Watch(requester);
    const bool heldBack = decoding == Decoding::HeldBack && !NoPreviewFor(path, *stamp);
    wanted_.insert_or_assign(requester, Wanted{key, std::move(deliver), std::move(deliverPreview), heldBack});
    QueuePreview(key, nullptr, stamp);
    if (!heldBack)
        QueueShown(key);
    else if (const auto running = inFlight_.find(key); running != inFlight_.end())
        running->second.abandoned->store(false); // already paid for: it is shown when it comes
    return std::nullopt;
}

bool ImageLoader::NoPreviewFor(const FilePath& path, const FileStamp& stamp) const {
    const auto none = withoutPreview_.find(path);
    return !previewsEnabled_ || (none != withoutPreview_.end() && none->second == stamp);
}

void ImageLoader::QueueShown(const ImageKey& key) {
    if (const auto running = inFlight_.find(key); running != inFlight_.end()) {
        running->second.abandoned->store(false); // if it already gave up, Finish starts it anew
        return;
    }
    std::erase_if(queue_, [&key](const Job& job) { return job.key == key; });
    queue_.push_front(Job{key, nullptr});
    StartQueued();
}

std::vector<QImage> ImageLoader::CachedParts(const FilePath& path) const {
    const std::optional<FileStamp> stamp = FileStamp::Of(path);
    return stamp ? cache_.FindParts(path, *stamp) : std::vector<QImage>{};
}

std::optional<QImage> ImageLoader::CachedPreview(const FilePath& path, QSize target) {
    const std::optional<FileStamp> stamp = FileStamp::Of(path);
    if (!previewsEnabled_ || !stamp)
        return std::nullopt;
    return cache_.Find(ImageKey{path, target, true}, *stamp);
}

void ImageLoader::QueuePreview(const ImageKey& key, QObject* readAheadFor, const std::optional<FileStamp>& stamp) {
    if (!previewsEnabled_)
        return;
    ImageKey previewKey{key.path, key.target, true};
    if (cache_.Contains(previewKey) || cache_.Contains(ImageKey{key.path, key.target}))
        return;
    if (const auto none = withoutPreview_.find(key.path);
        none != withoutPreview_.end() && (stamp ? *stamp : FileStamp::Of(key.path)) == none->second)
        return;
    if (readAheadFor == nullptr) {
        std::erase_if(previewQueue_, [&previewKey](const Job& job) { return job.key == previewKey; });
        previewQueue_.push_front(Job{std::move(previewKey), nullptr});
    } else if (std::none_of(previewQueue_.begin(), previewQueue_.end(),
                            [&previewKey](const Job& job) { return job.key == previewKey; })) {
        previewQueue_.push_back(Job{std::move(previewKey), readAheadFor});
    }
    StartPreview();
}

void ImageLoader::StartPreview() {
    if (previewRunning_ || previewQueue_.empty())
        return;
    ImageKey key = std::move(previewQueue_.front().key);
    previewQueue_.pop_front();
    previewRunning_ = true;
    previewPool_.start([loader = this, key = std::move(key)] {
        PreviewRead read = ReadPreviewFile(key.path, key.target);
        QMetaObject::invokeMethod(
            loader, [loader, key, read = std::move(read)] { loader->FinishPreview(key, read.image, read.stamp); },
            Qt::QueuedConnection);
    });
}

void ImageLoader::FinishPreview(const ImageKey& key, const QImage& image, const std::optional<FileStamp>& stamp) {
    previewRunning_ = false;
    if (stamp && image.isNull()) {
        if (withoutPreview_.size() >= kMaxRememberedWithoutPreview)
            withoutPreview_.clear();
        withoutPreview_.insert_or_assign(key.path, *stamp);
    } else if (stamp) {
        cache_.Insert(key, *stamp, image);
    }
    std::vector<Delivery> deliveries;
    std::vector<ImageKey> undecoded; // held back for a preview the file turned out not to have
    // Only requests still waiting for their picture take it: the picture itself, once delivered,
    // has ended the request.
    for (auto& [requester, wanted] : wanted_) {
        if (wanted.key.path != key.path || wanted.key.target != key.target)
            continue;
        if (!image.isNull() && wanted.deliverPreview)
            deliveries.push_back(wanted.deliverPreview);
        if (image.isNull() && wanted.heldBack) {
            wanted.heldBack = false;
            undecoded.push_back(wanted.key);
        }
    }
    for (const ImageKey& shown : undecoded)
        QueueShown(shown);
    StartPreview();
    for (const Delivery& deliver : deliveries)
        deliver(image);
}

bool ImageLoader::HasLargerCached(const ImageKey& key) const {
    // The pane's next files are those the enlarge window shows beside the current one when it
    // compares them: its pictures serve the pane once the user steps.
    const std::optional<FileStamp> stamp = FileStamp::Of(key.path);
    const std::optional<QImage> larger = stamp ? cache_.FindLargest(key.path, *stamp) : std::nullopt;
    if (!larger)
        return false;
    const QSize fitted = FitSize(larger->size(), key.target);
    return larger->width() >= fitted.width() && larger->height() >= fitted.height();
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

std::optional<ImageLoader::Refusal> ImageLoader::RefusalOf(const FilePath& path) const {
    const auto refused = refused_.find(path);
    if (refused == refused_.end() || FileStamp::Of(path) != refused->second.stamp)
        return std::nullopt;
    return refused->second.why;
}

void ImageLoader::Cancel(QObject* requester) {
    Withdraw(requester);
    DropReadAheadOf(requester);
    std::vector<ImageKey> ahead;
    for (const auto& [key, running] : inFlight_) {
        if (running.readAheadFor == requester)
            ahead.push_back(key);
    }
    for (const ImageKey& key : ahead)
        AbandonIfUnwanted(key);
}

void ImageLoader::ReadAhead(QObject* requester, const FilePathList& paths, QSize target, Decoding decoding,
                            const PictureRegion& region) {
    DropReadAheadOf(requester);
    if (target.isEmpty())
        return;
    Watch(requester);
    std::unordered_set<ImageKey, ImageKeyHash> queued;
    for (const Job& job : queue_)
        queued.insert(job.key);
    std::unordered_set<ImageKey, ImageKeyHash> listed;
    // Previews of the neighbours first: they are quick, and the next key shows one at once.
    for (const FilePath& path : paths) {
        if (!path.empty())
            QueuePreview(ImageKey{path, target}, requester, std::nullopt);
    }
    // Held back, nothing is decoded ahead and what is running is given up below: the user is
    // passing those files.
    if (decoding == Decoding::Now) {
        for (const FilePath& path : paths) {
            ImageKey key{path, target, false, region};
            listed.insert(key);
            if (const auto running = inFlight_.find(key); running != inFlight_.end()) {
                running->second.abandoned->store(false);
                continue;
            }
            if (path.empty() || cache_.Contains(key) || HasLargerCached(key) || !queued.insert(key).second)
                continue;
            // A part of a picture is quick, and what the next key at 100 % shows: before the other
            // read-ahead, after what is shown.
            const auto place = region.isWhole() ? queue_.end()
                                                : std::find_if(queue_.begin(), queue_.end(),
                                                               [](const Job& job) { return job.readAheadFor; });
            queue_.insert(place, Job{std::move(key), requester});
        }
    }
    // The files read ahead for an earlier position are no neighbours any more.
    std::vector<ImageKey> stale;
    for (const auto& [key, running] : inFlight_) {
        if (running.readAheadFor == requester && listed.count(key) == 0)
            stale.push_back(key);
    }
    for (const ImageKey& key : stale)
        AbandonIfUnwanted(key);
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
    if (IsWanted(key))
        return;
    std::erase_if(queue_, [&key](const Job& job) { return job.readAheadFor == nullptr && job.key == key; });
    std::erase_if(previewQueue_, [&key](const Job& job) {
        return job.readAheadFor == nullptr && job.key.path == key.path && job.key.target == key.target;
    });
    if (const auto running = inFlight_.find(key); running != inFlight_.end() && running->second.readAheadFor == nullptr)
        AbandonIfUnwanted(key);
}

void ImageLoader::AbandonIfUnwanted(const ImageKey& key) {
    const auto running = inFlight_.find(key);
    if (running == inFlight_.end() || IsWanted(key))
        return;
    running->second.abandoned->store(true);
    // The worker it held may now go to the shown file.
    StartQueued();
}

int ImageLoader::LiveShownRunning() const {
    return static_cast<int>(std::count_if(inFlight_.begin(), inFlight_.end(), [](const auto& entry) {
        return entry.second.readAheadFor == nullptr && !entry.second.abandoned->load();
    }));
}

void ImageLoader::DropReadAheadOf(QObject* requester) {
    std::erase_if(queue_, [requester](const Job& job) { return job.readAheadFor == requester; });
    std::erase_if(previewQueue_, [requester](const Job& job) { return job.readAheadFor == requester; });
}

bool ImageLoader::IsWanted(const ImageKey& key) const {
    return std::any_of(wanted_.begin(), wanted_.end(), [&key](const auto& entry) { return entry.second.key == key; });
}

void ImageLoader::StartQueued() {
    // Read-ahead never takes the last free worker: the file the user asks for next must not
    // wait behind one wanted later.
    const int readAheadSlots = maxRunning_ > 1 ? maxRunning_ - 1 : 1;
    while (!queue_.empty()) {
        const bool readAhead = queue_.front().readAheadFor != nullptr;
        if (readAhead && (running_ >= maxRunning_ || runningReadAhead_ >= readAheadSlots))
            break;
        // Queued while a larger picture of the file was still decoding for another requester: that
        // one serves now.
        if (readAhead && (cache_.Contains(queue_.front().key) || HasLargerCached(queue_.front().key))) {
            queue_.pop_front();
            continue;
        }
        if (!readAhead && running_ >= maxRunning_) {
            // Every worker is busy with read-ahead or with files the user has moved away from:
            // the shown file gets a thread of its own. Taken from the event loop, so that a key
            // held down passes over the files in between instead of starting each.
            if (LiveShownRunning() > 0 || running_ >= ThreadCap(maxRunning_))
                break;
            if (!mayTakeExtraThread_) {
                if (!extraStartPosted_) {
                    extraStartPosted_ = true;
                    QMetaObject::invokeMethod(
                        this,
                        [this] {
                            extraStartPosted_ = false;
                            mayTakeExtraThread_ = true;
                            StartQueued();
                            mayTakeExtraThread_ = false;
                        },
                        Qt::QueuedConnection);
                }
                break;
            }
        }
        Job job = std::move(queue_.front());
        queue_.pop_front();
        auto abandoned = std::make_shared<std::atomic<bool>>(false);
        inFlight_.insert_or_assign(job.key, Running{abandoned, job.readAheadFor});
        ++running_;
        if (readAhead)
            ++runningReadAhead_;
        pool_.start([loader = this, key = std::move(job.key), readAhead, abandoned = std::move(abandoned)] {
            Result result{DecodeFile(key.path, key.target, abandoned.get(), key.region)};
            QMetaObject::invokeMethod(
                loader,
                [loader, key, readAhead, result = std::move(result)] { loader->Finish(key, readAhead, result); },
                Qt::QueuedConnection);
        });
    }
}

void ImageLoader::Finish(const ImageKey& key, bool readAhead, const Result& result) {
    --running_;
    if (readAhead)
        --runningReadAhead_;
    inFlight_.erase(key);
    const DecodedFile& decoded = result.decoded;
    if (decoded.abandoned) {
        // Given up, then wanted again before the worker noticed: decode it anew, unless it is
        // wanted only while the user passes it by.
        const bool wantedNow = std::any_of(wanted_.begin(), wanted_.end(), [&key](const auto& entry) {
            return entry.second.key == key && !entry.second.heldBack;
        });
        if (wantedNow && std::none_of(queue_.begin(), queue_.end(), [&key](const Job& job) { return job.key == key; }))
            queue_.push_front(Job{key, nullptr});
        StartQueued();
        return;
    }
    if (decoded.refusal && decoded.stamp) {
        if (refused_.size() >= kMaxRememberedRefusals)
            refused_.clear();
        refused_.insert_or_assign(key.path, Refused{*decoded.stamp, *decoded.refusal});
    }
    const QImage& image = decoded.image;
    if (!image.isNull() && decoded.stamp)
        cache_.Insert(key, *decoded.stamp, image);

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
