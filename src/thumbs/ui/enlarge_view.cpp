#include "thumbs/ui/enlarge_view.h"

#include "thumbs/image_cache.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <QtMath>

namespace pelldrake {

EnlargeView::EnlargeView(QWidget* parent, ImageLoader* loader) : CThumbCtl(parent, loader) {
    wholeTimer_.setSingleShot(true);
    wholeTimer_.setInterval(kStayedMs);
    connect(&wholeTimer_, &QTimer::timeout, this, &EnlargeView::RequestWhole);
}

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

EnlargeView::~EnlargeView() {
    if (ImageLoader* images = loader()) {
        images->Cancel(&fullSizeRequester_);
        images->Cancel(&regionRequester_);
    }
}

void EnlargeView::ShowFile(const FilePath& path) {
    CThumbCtl::ShowFile(path);
    if (zoom_)
        RequestFullSize();
    UpdateCursor();
}

void EnlargeView::ReadAhead(const FilePathList& paths) {
    CThumbCtl::ReadAhead(paths);
    readAhead_ = paths;
    ReadAheadFullSize();
}

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

bool EnlargeView::showsZoomedPicture() const {
    return zoom_ && fullSizePath_ == currentFile() && (!fullSize_.isNull() || regionPlace_);
}

bool EnlargeView::showsWholeZoomedPicture() const {
    return zoom_ && fullSizePath_ == currentFile() && !fullSize_.isNull();
}

QSize EnlargeView::PictureSize() const {
    if (fullSizePath_ != currentFile())
        return {};
    return !fullSize_.isNull() ? fullSize_.size() : regionPlace_ ? regionPlace_->picture : QSize();
}

QRectF EnlargeView::ShownRect() const {
    if (showsZoomedPicture())
        return ZoomedPictureRect(PictureSize(), *zoom_, devicePixelRatioF(), contentsRect(), anchor_);
    return FittedRect();
}

double EnlargeView::FitScale() const {
    // Unknown before the picture at its own size has been seen: the wheel then starts at the first step.
    const QSize picture = PictureSize();
    if (picture.isEmpty())
        return 0;
    return ImageLoader::FitSize(picture, decodeSize()).width() / double(picture.width());
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

QPointF EnlargeView::PictureFractionAt(const QPoint& position) const {
    return pelldrake::PictureFractionAt(ShownRect(), position);
}

void EnlargeView::ToggleActualSize() {
    if (zoom_) {
        lastPoint_ = showsZoomedPicture() ? pelldrake::PictureFractionAt(ShownRect(), QRectF(contentsRect()).center())
                                          : anchor_.picture;
        ChooseZoom(std::nullopt, {});
    } else {
        ChooseZoom(1.0, ZoomAnchor{lastPoint_, {0.5, 0.5}});
    }
}

void EnlargeView::FollowZoom(std::optional<double> zoom, const ZoomAnchor& anchor, QPointF lastPoint) {
    lastPoint_ = lastPoint;
    // A drag moves the point at every step: the picture asked for stays asked for.
    if (zoom == zoom_ && !firstStepPending_) {
        anchor_ = anchor;
        if (fullSize_.isNull()) {
            RequestWhole();
            RequestRegion();
        }
        update();
        return;
    }
    SetZoom(zoom, anchor);
}

QImage EnlargeView::FullSizeOf(const FilePath& path) const {
    return zoom_ && fullSizeAnswered_ && fullSizePath_ == path && !path.empty() ? fullSize_ : QImage();
}

void EnlargeView::AdoptFullSize(const FilePath& path, const QImage& image) {
    if (!zoom_ || image.isNull() || path == fullSizePath_)
        return;
    fullSizePath_ = path;
    fullSize_ = image;
    fullSizeAnswered_ = true;
}

void EnlargeView::PanQuarter(int right, int down) {
    const QRect area = contentsRect();
    PanBy(QPointF(-right * area.width() / 4.0, -down * area.height() / 4.0));
    // The next file is looked at around the new point.
    ReadAheadFullSize();
}

void EnlargeView::PanBy(const QPointF& offset) {
    if (!showsZoomedPicture())
        return;
    const QRectF view(contentsRect());
    anchor_.view += QPointF(offset.x() / view.width(), offset.y() / view.height());
    // Held by the point at the middle again, so that a drag past the edge is not remembered.
    const QRectF moved = ShownRect();
    anchor_ = ZoomAnchor{pelldrake::PictureFractionAt(moved, view.center()), {0.5, 0.5}};
    // The user looks around: the whole picture is wanted now.
    if (fullSize_.isNull()) {
        RequestWhole();
        RequestRegion();
    }
    update();
    emit zoomChosen(zoom_, anchor_, lastPoint_);
}

void EnlargeView::ChooseZoom(std::optional<double> zoom, const ZoomAnchor& anchor) {
    SetZoom(zoom, anchor);
    emit zoomChosen(zoom_, anchor_, lastPoint_);
}

void EnlargeView::SetZoom(std::optional<double> zoom, const ZoomAnchor& anchor) {
    firstStepPending_ = false;
    zoom_ = zoom;
    anchor_ = anchor;
    if (zoom_) {
        RequestFullSize();
        ReadAheadFullSize();
    } else {
        wholeTimer_.stop();
        if (ImageLoader* images = loader()) {
            images->Cancel(&fullSizeRequester_);
            images->Cancel(&regionRequester_);
        }
        // Only the file's picture at its own size; the cache may still hold it.
        fullSize_ = QImage();
        region_ = QImage();
        regionPlace_.reset();
        fullSizePath_.clear();
    }
    UpdateCursor();
    update();
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
        // The decoder gave the whole picture, or none.
        if (!image.isNull()) {
            if (ImageLoader* images = loader())
                images->Cancel(&fullSizeRequester_);
            PresentFullSize(image);
        }
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

void EnlargeView::TakeFirstStep() {
    firstStepPending_ = false;
    if (const std::optional<double> first = NextZoomStep(std::nullopt, FitScale(), true); first != zoom_) {
        if (firstStepShared_)
            ChooseZoom(first, anchor_);
        else
            SetZoom(first, anchor_);
    }
}

void EnlargeView::UpdateCursor() {
    if (!showsZoomedPicture())
        unsetCursor();
    else
        setCursor(dragFrom_ ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
}

void EnlargeView::showEvent(QShowEvent* event) {
    CThumbCtl::showEvent(event);
    // Unless the file was asked for just before the window came up.
    if (zoom_ && fullSizePath_ != currentFile())
        RequestFullSize();
}

void EnlargeView::hideEvent(QHideEvent* event) {
    CThumbCtl::hideEvent(event);
    // A hidden window holds no picture at its own size; the zoom and the point stay for its return.
    if (ImageLoader* images = loader()) {
        images->Cancel(&fullSizeRequester_);
        images->Cancel(&regionRequester_);
    }
    wholeTimer_.stop();
    fullSize_ = QImage();
    region_ = QImage();
    regionPlace_.reset();
    fullSizePath_.clear();
    fullSizeAnswered_ = false;
}

void EnlargeView::paintEvent(QPaintEvent* event) {
    if (!showsZoomedPicture()) {
        CThumbCtl::paintEvent(event);
        return;
    }
    QFrame::paintEvent(event);
    const QRect area = contentsRect();
    const QRectF shown = ShownRect();
    const QRectF visible = shown.intersected(QRectF(area));
    if (visible.isEmpty())
        return;
    QPainter painter(this);
    painter.setClipRect(area);
    if (!fullSize_.isNull()) {
        DrawPart(painter, fullSize_, QRect(QPoint(0, 0), fullSize_.size()), shown, visible);
        return;
    }
    // Until the whole picture comes: the fitted one enlarged where the part in view does not reach.
    if (!RegionCoversView() && !image().isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(shown, image());
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    DrawPart(painter, region_, regionPlace_->rect, shown, visible);
}

void EnlargeView::DrawPart(QPainter& painter, const QImage& part, const QRect& placed, const QRectF& shown,
                           const QRectF& visible) const {
    // Only the part in view is scaled, not the whole picture at every frame.
    const double perPixel = PictureSize().width() / shown.width();
    const QRectF inView(shown.topLeft() + QPointF(placed.topLeft()) / perPixel, QSizeF(placed.size()) / perPixel);
    const QRectF target = inView.intersected(visible);
    if (target.isEmpty())
        return;
    const QRectF source((target.topLeft() - inView.topLeft()) * perPixel, target.size() * perPixel);
    // Magnified, every pixel is a sharp square: that is what the user checks focus by.
    if (*zoom_ < 1)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, part, source);
}

void EnlargeView::mousePressEvent(QMouseEvent* event) {
    pressedAt_.reset();
    if (event->button() == Qt::LeftButton && !currentFile().empty())
        pressedAt_ = event->position().toPoint();
    if (showsZoomedPicture() && event->button() == Qt::LeftButton) {
        // Zoomed, a drag moves the picture instead of handing its file out.
        dragFrom_ = event->position();
        UpdateCursor();
        return;
    }
    CThumbCtl::mousePressEvent(event);
}

void EnlargeView::mouseMoveEvent(QMouseEvent* event) {
    if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
        if (pressedAt_ &&
            (event->position().toPoint() - *pressedAt_).manhattanLength() >= QApplication::startDragDistance())
            pressedAt_.reset();
        if (!pressedAt_) {
            PanBy(event->position() - *dragFrom_);
            dragFrom_ = event->position();
        }
        return;
    }
    if (pressedAt_ &&
        (event->position().toPoint() - *pressedAt_).manhattanLength() >= QApplication::startDragDistance())
        pressedAt_.reset();
    CThumbCtl::mouseMoveEvent(event);
}

void EnlargeView::mouseReleaseEvent(QMouseEvent* event) {
    const std::optional<QPoint> clickedAt = event->button() == Qt::LeftButton ? pressedAt_ : std::nullopt;
    // After a drag the next file is looked at around the new point.
    if (event->button() == Qt::LeftButton && dragFrom_ && !clickedAt)
        ReadAheadFullSize();
    if (event->button() == Qt::LeftButton) {
        pressedAt_.reset();
        dragFrom_.reset();
    }
    if (clickedAt) {
        const QPointF point = PictureFractionAt(*clickedAt);
        lastPoint_ = point;
        if (zoom_)
            ChooseZoom(std::nullopt, {});
        else
            ChooseZoom(1.0, ZoomAnchor{point, ViewFractionOf(QRectF(contentsRect()), *clickedAt)});
    }
    UpdateCursor();
    CThumbCtl::mouseReleaseEvent(event);
    // The keys sort on the board: a click here must not keep them.
    QWidget* owner = window()->parentWidget();
    if (owner && window()->isActiveWindow())
        owner->activateWindow();
}

void EnlargeView::wheelEvent(QWheelEvent* event) {
    // With Shift some systems turn the wheel sideways.
    const bool alone = event->modifiers() & Qt::ShiftModifier;
    const int delta = alone && event->angleDelta().y() == 0 ? event->angleDelta().x() : event->angleDelta().y();
    if (delta == 0 || currentFile().empty()) {
        event->ignore();
        return;
    }
    event->accept();
    const QPointF at = event->position();
    // From fitted, the first step above depends on the picture's own size, known once it has been
    // decoded at that size: 100 % until then, put right when it comes.
    const bool firstStepUnknown = !zoom_ && delta > 0 && FitScale() == 0;
    const std::optional<double> next = firstStepUnknown ? 1.0 : NextZoomStep(zoom_, FitScale(), delta > 0);
    if (next == zoom_)
        return;
    const QPointF point = pelldrake::PictureFractionAt(ShownRect(), at);
    lastPoint_ = point;
    const ZoomAnchor anchor{point, ViewFractionOf(QRectF(contentsRect()), at)};
    if (alone)
        SetZoom(next, anchor);
    else
        ChooseZoom(next, anchor);
    firstStepShared_ = !alone;
    if (firstStepUnknown && showsZoomedPicture())
        TakeFirstStep();
    else
        firstStepPending_ = firstStepUnknown;
}

} // namespace pelldrake
