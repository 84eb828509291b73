#include "thumbs/image_cache.h"
#include "thumbs/ui/enlarge_view.h"

#include <QtMath>

// How the view comes by the picture at its own size: for a JPEG the part in view first, the whole
// once the user stays on the file; read ahead for the next file the same way.

namespace pelldrake {

namespace {

// Qt's JPEG reader decodes a part of the picture alone; the other decoders give the whole picture,
// which would be decoded twice if a part were asked for beside it.
bool MayDecodePart(const FilePath& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == FilePath::npos)
        return false;
    const QByteArray extension = QByteArray::fromStdString(path.substr(dot + 1)).toLower();
    return extension == "jpg" || extension == "jpeg" || extension == "jpe" || extension == "jfif";
}

} // namespace

void EnlargeView::ReadAheadFullSize() {
    ImageLoader* images = loader();
    if (!images)
        return;
    // Not beside the decode of the file looked at, which would take twice as long on a small
    // machine: its arrival (or that of its part in view) starts this again.
    if (zoom_ && !fullSizeAnswered_ && !showsZoomedPicture())
        return;
    // Only the next file: two pictures of a camera at their own size fill the cache. Its part in
    // view first, the quicker to come.
    FilePathList next;
    if (zoom_ && !readAhead_.empty())
        next.push_back(readAhead_.front());
    const bool part = !next.empty() && MayDecodePart(next.front());
    images->ReadAhead(&regionRequester_, part ? next : FilePathList{}, kFullSizeTarget, decoding(),
                      part ? RegionAround(anchor_.picture) : PictureRegion{});
    images->ReadAhead(&fullSizeRequester_, part ? FilePathList{} : next, kFullSizeTarget, decoding());
}

PictureRegion EnlargeView::RegionAround(QPointF point) const {
    const QSizeF view = QSizeF(contentsRect().size()) * devicePixelRatioF() / zoom_.value_or(1.0) * 2;
    return PictureRegion{point, QSize(qCeil(view.width()), qCeil(view.height()))};
}

bool EnlargeView::RegionCoversView() const {
    return zoom_ && regionPlace_ && fullSizePath_ == currentFile() && CoversView(*regionPlace_);
}

bool EnlargeView::CoversView(const RegionPlacement& placed) const {
    const QRectF shown = ZoomedPictureRect(placed.picture, *zoom_, devicePixelRatioF(), contentsRect(), anchor_);
    const double perPixel = placed.picture.width() / shown.width();
    const QRectF visible = shown.intersected(QRectF(contentsRect())).translated(-shown.topLeft());
    const QRectF inPicture(visible.topLeft() * perPixel, visible.size() * perPixel);
    return QRectF(placed.rect).adjusted(-1, -1, 1, 1).contains(inPicture);
}

void EnlargeView::RequestFullSize() {
    const FilePath& path = currentFile();
    if (path == fullSizePath_ && !fullSize_.isNull())
        return;
    // Another file's picture never stands in: the fitted one of this file is drawn until it comes.
    if (path != fullSizePath_) {
        region_ = QImage();
        regionPlace_.reset();
    }
    fullSize_ = QImage();
    fullSizePath_ = path;
    fullSizeAnswered_ = false;
    wholeTimer_.stop();
    ImageLoader* images = loader();
    if (path.empty() || !images) {
        if (images) {
            images->Cancel(&fullSizeRequester_);
            images->Cancel(&regionRequester_);
        }
        return;
    }
    // While a key repeats the user passes these files by: the fitted picture or the preview stands
    // in, and the file stopped on is asked for again once the key is up.
    if (decoding() == ImageLoader::Decoding::HeldBack && !images->isCached(path, kFullSizeTarget)) {
        images->Cancel(&fullSizeRequester_);
        images->Cancel(&regionRequester_);
        return;
    }
    // A JPEG's part in view comes first, and its whole picture once the user stays on it: stepping
    // through a burst leaves the workers to the next files' parts.
    if (MayDecodePart(path) && !images->isCached(path, kFullSizeTarget)) {
        images->Cancel(&fullSizeRequester_);
        RequestRegion();
        return;
    }
    RequestWhole();
}

void EnlargeView::RequestWhole() {
    wholeTimer_.stop();
    ImageLoader* images = loader();
    if (!images || !zoom_ || !fullSize_.isNull() || fullSizePath_.empty() || fullSizePath_ != currentFile())
        return;
    std::optional<QImage> answer = images->Request(
        &fullSizeRequester_, fullSizePath_, kFullSizeTarget, [this](const QImage& image) { PresentFullSize(image); },
        {}, decoding());
    if (answer) {
        images->Cancel(&regionRequester_);
        PresentFullSize(*answer);
    }
}

void EnlargeView::RequestRegion() {
    ImageLoader* images = loader();
    if (!images || !zoom_ || !MayDecodePart(fullSizePath_))
        return;
    if (RegionCoversView()) {
        if (fullSize_.isNull() && !wholeTimer_.isActive())
            wholeTimer_.start();
        return;
    }
    // A part read ahead around a point a little off the one looked at now may cover the view still.
    for (const QImage& part : images->CachedParts(fullSizePath_)) {
        if (const std::optional<RegionPlacement> placed = PlacementOf(part); placed && CoversView(*placed)) {
            images->Cancel(&regionRequester_);
            PresentRegion(part);
            return;
        }
    }
    std::optional<QImage> answer = images->Request(
        &regionRequester_, fullSizePath_, kFullSizeTarget,
        [this, path = fullSizePath_](const QImage& image) {
            // Asked for before the view moved to a file whose part it does not ask for.
            if (path == fullSizePath_)
                PresentRegion(image);
        },
        {}, decoding(), RegionAround(anchor_.picture));
    if (answer)
        PresentRegion(*answer);
}

void EnlargeView::PresentRegion(const QImage& image) {
    if (!fullSize_.isNull())
        return;
    std::optional<RegionPlacement> placed = PlacementOf(image);
    if (!placed) {
        // The decoder gave the whole picture, or none: the file has been answered either way, and
        // reading ahead goes on.
        if (ImageLoader* images = loader())
            images->Cancel(&fullSizeRequester_);
        PresentFullSize(image);
        return;
    }
    region_ = image;
    regionPlace_ = std::move(placed);
    wholeTimer_.start();
    if (firstStepPending_)
        TakeFirstStep();
    ReadAheadFullSize();
    UpdateCursor();
    update();
    emit zoomedPictureReady();
}

void EnlargeView::PresentFullSize(const QImage& image) {
    fullSize_ = image;
    region_ = QImage();
    regionPlace_.reset();
    fullSizeAnswered_ = true;
    if (firstStepPending_ && !image.isNull())
        TakeFirstStep();
    ReadAheadFullSize();
    UpdateCursor();
    update();
    emit zoomedPictureReady();
}

} // namespace pelldrake
