#include "thumbs/ui/enlarge_view.h"

#include "thumbs/image_cache.h"
#include "thumbs/shooting_lines.h"

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
    connect(ShootingLines::Shared(), &ShootingLines::ready, this, [this] {
        if (overlays_.shootingInfo)
            update();
    });
}

EnlargeView::~EnlargeView() {
    if (ImageLoader* images = loader()) {
        images->Cancel(&fullSizeRequester_);
        images->Cancel(&regionRequester_);
    }
}

void EnlargeView::ShowFile(const FilePath& path) {
    CThumbCtl::ShowFile(path);
    // Read beside the picture, so that the line is there when the picture is.
    if (overlays_.shootingInfo)
        ShootingLines::Shared()->Line(path);
    if (zoom_)
        RequestFullSize();
    UpdateCursor();
}

void EnlargeView::ReadAhead(const FilePathList& paths) {
    CThumbCtl::ReadAhead(paths);
    readAhead_ = paths;
    ReadAheadFullSize();
    if (overlays_.shootingInfo)
        ShootingLines::Shared()->ReadAhead(
            FilePathList(paths.begin(), paths.begin() + std::min<std::size_t>(paths.size(), 2)));
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
    FollowShift(shiftHeld_);
}

void EnlargeView::paintEvent(QPaintEvent* event) {
    if (showsZoomedPicture())
        PaintZoomed(event);
    else
        CThumbCtl::paintEvent(event);
    PaintOverlays();
}

void EnlargeView::PaintZoomed(QPaintEvent* event) {
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
    if (overlays_.histogram)
        FollowShift(event->modifiers().testFlag(Qt::ShiftModifier));
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
