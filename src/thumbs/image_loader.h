#pragma once

#include "core/types.h"
#include "thumbs/file_decode.h"
#include "thumbs/image_cache.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace pelldrake {

// Decodes image files to the size they are shown at, on a thread pool, and keeps the results.
//
// The loader lives on the user-interface thread and owns the scheduling there: it holds its own
// queue of pending decodes and hands at most maxRunning() of them to the pool at a time, so a
// request can still be reordered or dropped until it starts. Shown requests go first, newest
// first; read-ahead follows. Each requester (one per control) has at most one shown request: a
// new one supersedes the older, and a result arriving for the older one is not delivered.
//
// The file the user looks at never waits behind work the user has moved away from or read-ahead:
// when every worker is busy with such work it gets a thread of its own, and a large decode that
// nobody wants any more is abandoned at its next read (a HEIF decode, which reads nothing once it
// has begun, by killing the child process it runs in). A picture whose decode would take more
// memory than the budget, as its header tells, is not decoded at all (see RefusalOf).
//
// A file that carries an embedded preview (a camera's EXIF thumbnail, also in a JPEG XL file made
// from a camera JPEG; a raw file's previews; a HEIC file's thumbnail picture) is shown from it at
// once while its own pixels decode. Previews are read by a thread of their own, so that they never
// wait behind a decode, and are kept in the cache apart from the pictures.
// A file whose own pixels cannot be decoded (camera raw) is shown from its largest preview.
class ImageLoader : public QObject {
    Q_OBJECT

public:
    static constexpr std::int64_t kDefaultCacheBudget = std::int64_t{192} << 20;

    // Called on the loader's thread with the decoded image, null when the file cannot be shown.
    using Delivery = std::function<void(const QImage& image)>;

    // Whether a request decodes its file now, or only reads its embedded preview while the user
    // passes it by (a key held down): a decode of a file the user will not stop on only slows
    // down the one they do. A file without a preview is decoded either way.
    enum class Decoding { Now, HeldBack };

    // maxRunning 0 means the ideal thread count of the machine.
    explicit ImageLoader(std::int64_t cacheBudgetBytes = kDefaultCacheBudget, int maxRunning = 0,
                         QObject* parent = nullptr);
    ~ImageLoader() override;

    // The program's loader, created on first use on the calling (user-interface) thread.
    static ImageLoader* Shared();

    // Why the file came back null though its header could be read: its size.
    using Refusal = DecodeRefusal;

    // Reads the file at path scaled to fit target with its aspect ratio kept and turned as the
    // file says (EXIF orientation; a HEIF file's own transformations). HEIC, HEIF, AVIF and JPEG
    // XL go to libheif and libjxl, everything else to Qt's readers. Null when the file is
    // missing, unreadable or not an image. Safe on any thread.
    static QImage Decode(const FilePath& path, QSize target);

    // The largest size of source's shape that fits target; never empty for a non-empty source
    // and target.
    static QSize FitSize(QSize source, QSize target);

    // Asks for path fitted to target on behalf of requester, superseding the requester's
    // earlier request. An answer known at once (cached, or the file cannot be read) is
    // returned and deliver is not called; otherwise deliver is called later unless the
    // request is superseded or cancelled first.
    // While the request waits, deliverPreview is called with the file's embedded preview when it
    // has one and it arrives first; never after deliver, never for a superseded request.
    // Held back, a picture already in memory is still answered at once, and deliver is called
    // only when the file has no preview to stand in or a decode already running finishes.
    // At the picture's own size (kFullSizeTarget), region asks for a part of it first (see DecodeFile).
    std::optional<QImage> Request(QObject* requester, const FilePath& path, QSize target, Delivery deliver,
                                  Delivery deliverPreview = {}, Decoding decoding = Decoding::Now,
                                  const PictureRegion& region = {});

    // The parts of the file's picture at its own size already decoded, each with its placement.
    std::vector<QImage> CachedParts(const FilePath& path) const;

    // The file's embedded preview fitted to target, when it has been read already.
    std::optional<QImage> CachedPreview(const FilePath& path, QSize target);
    // Off, no preview is read or delivered (except as the picture of a file Qt cannot decode).
    void setPreviewsEnabled(bool on) { previewsEnabled_ = on; }
    bool previewsEnabled() const { return previewsEnabled_; }

    // Drops the requester's pending request and its read-ahead that has not started.
    void Cancel(QObject* requester);

    // Decodes these files into the cache when nothing shown is waiting. Replaces the
    // requester's earlier read-ahead that has not started. Held back, only their previews are
    // read, and the requester's read-ahead decodes still running are given up.
    void ReadAhead(QObject* requester, const FilePathList& paths, QSize target, Decoding decoding = Decoding::Now,
                   const PictureRegion& region = {});

    // Set when the last decode of this version of the file was refused for its size.
    std::optional<Refusal> RefusalOf(const FilePath& path) const;

    bool isCached(const FilePath& path, QSize target) const { return cache_.Contains(ImageKey{path, target}); }
    // Decodes and preview reads queued or running.
    int pendingCount() const {
        return static_cast<int>(queue_.size() + previewQueue_.size()) + running_ + (previewRunning_ ? 1 : 0);
    }
    int maxRunning() const { return maxRunning_; }
    int runningCount() const { return running_; }
    std::int64_t cacheBytes() const { return cache_.bytes(); }
    std::int64_t cacheBudget() const { return cache_.budget(); }
    int cacheCount() const { return cache_.count(); }

private:
    struct Job {
        ImageKey key;
        QObject* readAheadFor = nullptr; // null for a shown request
    };
    struct Wanted {
        ImageKey key;
        Delivery deliver;
        Delivery deliverPreview;
        bool heldBack = false; // no decode queued for it while its preview may stand in
    };
    struct Running {
        std::shared_ptr<std::atomic<bool>> abandoned;
        QObject* readAheadFor = nullptr;
    };
    struct Refused {
        FileStamp stamp;
        Refusal why;
    };
    struct Result;

    void Watch(QObject* requester);
    void Withdraw(QObject* requester);
    void DropReadAheadOf(QObject* requester);
    bool IsWanted(const ImageKey& key) const;
    // Whether the file is known to carry no preview, or previews are off.
    bool NoPreviewFor(const FilePath& path, const FileStamp& stamp) const;
    // Queues a shown decode first unless it is queued or running already.
    void QueueShown(const ImageKey& key);
    // Gives up a running decode nobody wants; a decode wanted again is taken back.
    void AbandonIfUnwanted(const ImageKey& key);
    int LiveShownRunning() const;
    void StartQueued();
    // Queues a preview read unless the preview is known; shown ones go first.
    void QueuePreview(const ImageKey& key, QObject* readAheadFor, const std::optional<FileStamp>& stamp);
    void StartPreview();
    void FinishPreview(const ImageKey& key, const QImage& image, const std::optional<FileStamp>& stamp);
    void Finish(const ImageKey& key, bool readAhead, const Result& result);
    // Whether a larger picture of the same file in memory can be scaled instead of a decode.
    bool HasLargerCached(const ImageKey& key) const;
    // Scales a larger picture of the same file already in memory; null when there is none.
    QImage FromLargerCached(const ImageKey& key, const FileStamp& stamp);

    int maxRunning_;
    int running_ = 0;
    int runningReadAhead_ = 0;
    ImageCache cache_;
    std::deque<Job> queue_; // shown requests first, newest first; then read-ahead in order
    std::unordered_map<ImageKey, Running, ImageKeyHash> inFlight_;
    std::unordered_map<FilePath, Refused> refused_;
    bool extraStartPosted_ = false;
    bool mayTakeExtraThread_ = false;
    std::unordered_map<QObject*, Wanted> wanted_;
    std::unordered_set<QObject*> watched_;
    bool previewsEnabled_ = true;
    bool previewRunning_ = false;
    std::deque<Job> previewQueue_; // keys with preview set; shown first, then read-ahead
    std::unordered_map<FilePath, FileStamp> withoutPreview_;
    QThreadPool previewPool_;
    QThreadPool pool_;
};

} // namespace pelldrake
