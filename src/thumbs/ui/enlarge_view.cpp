#include "thumbs/ui/enlarge_view.h"

#include "platform/file_info.h"
#include "thumbs/image_cache.h"
#include "thumbs/shooting_lines.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace pelldrake {

EnlargeView::EnlargeView(QWidget* parent, ImageLoader* loader) : CThumbCtl(parent, loader) {
    connect(ShootingLines::Shared(), &ShootingLines::ready, this, [this] {
        if (overlays_.shootingInfo)
            update();
    });
}

EnlargeView::~EnlargeView() {
    if (ImageLoader* images = loader())
        images->Cancel(&fullSizeRequester_);
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

void EnlargeView::ReadAheadFullSize() {
    ImageLoader* images = loader();
    if (!images)
        return;
    // Not beside the decode of the file looked at, which would take twice as long on a small
    // machine: its arrival starts this again.
    if (zoom_ && !fullSizeAnswered_)
        return;
    // Only the next file: two pictures of a camera at their own size fill the cache.
    FilePathList next;
    if (zoom_ && !readAhead_.empty())
        next.push_back(readAhead_.front());
    images->ReadAhead(&fullSizeRequester_, next, kFullSizeTarget, decoding());
}

bool EnlargeView::showsZoomedPicture() const {
    return zoom_ && !fullSize_.isNull() && fullSizePath_ == currentFile();
}

QRectF EnlargeView::ShownRect() const {
    if (showsZoomedPicture())
        return ZoomedPictureRect(fullSize_.size(), *zoom_, devicePixelRatioF(), contentsRect(), anchor_);
    return FittedRect();
}

double EnlargeView::FitScale() const {
    // Unknown before the picture at its own size has been seen: the wheel then starts at the first step.
    if (fullSize_.isNull() || fullSizePath_ != currentFile())
        return 0;
    return ImageLoader::FitSize(fullSize_.size(), decodeSize()).width() / double(fullSize_.width());
}

QPointF EnlargeView::PictureFractionAt(const QPoint& position) const {
    return pelldrake::PictureFractionAt(ShownRect(), position);
}

void EnlargeView::ToggleActualSize() {
    if (zoom_) {
        lastPoint_ = showsZoomedPicture() ? pelldrake::PictureFractionAt(ShownRect(), QRectF(contentsRect()).center())
                                          : anchor_.picture;
        SetZoom(std::nullopt, {});
    } else {
        SetZoom(1.0, ZoomAnchor{lastPoint_, {0.5, 0.5}});
    }
}

void EnlargeView::PanQuarter(int right, int down) {
    const QRect area = contentsRect();
    PanBy(QPointF(-right * area.width() / 4.0, -down * area.height() / 4.0));
}

void EnlargeView::PanBy(const QPointF& offset) {
    if (!showsZoomedPicture())
        return;
    const QRectF view(contentsRect());
    anchor_.view += QPointF(offset.x() / view.width(), offset.y() / view.height());
    // Held by the point at the middle again, so that a drag past the edge is not remembered.
    const QRectF moved = ShownRect();
    anchor_ = ZoomAnchor{pelldrake::PictureFractionAt(moved, view.center()), {0.5, 0.5}};
    update();
}

void EnlargeView::SetZoom(std::optional<double> zoom, const ZoomAnchor& anchor) {
    firstStepPending_ = false;
    zoom_ = zoom;
    anchor_ = anchor;
    if (zoom_) {
        RequestFullSize();
        ReadAheadFullSize();
    } else {
        if (ImageLoader* images = loader())
            images->Cancel(&fullSizeRequester_);
        // Only the file's picture at its own size; the cache may still hold it.
        fullSize_ = QImage();
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
    fullSize_ = QImage();
    fullSizePath_ = path;
    fullSizeAnswered_ = false;
    ImageLoader* images = loader();
    if (path.empty() || !images) {
        if (images)
            images->Cancel(&fullSizeRequester_);
        return;
    }
    // While a key repeats the user passes these files by: the fitted picture or the preview stands
    // in, and the file stopped on is asked for again once the key is up.
    if (decoding() == ImageLoader::Decoding::HeldBack && !images->isCached(path, kFullSizeTarget)) {
        images->Cancel(&fullSizeRequester_);
        return;
    }
    std::optional<QImage> answer = images->Request(
        &fullSizeRequester_, path, kFullSizeTarget, [this](const QImage& image) { PresentFullSize(image); }, {},
        decoding());
    if (answer)
        PresentFullSize(*answer);
}

void EnlargeView::PresentFullSize(const QImage& image) {
    fullSize_ = image;
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
    if (const std::optional<double> first = NextZoomStep(std::nullopt, FitScale(), true); first != zoom_)
        SetZoom(first, anchor_);
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
    if (ImageLoader* images = loader())
        images->Cancel(&fullSizeRequester_);
    fullSize_ = QImage();
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
    // Only the part in view is scaled, not the whole picture at every frame.
    const double perPixel = fullSize_.width() / shown.width();
    const QRectF source((visible.x() - shown.x()) * perPixel, (visible.y() - shown.y()) * perPixel,
                        visible.width() * perPixel, visible.height() * perPixel);
    // Magnified, every pixel is a sharp square: that is what the user checks focus by.
    if (*zoom_ < 1)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(visible, fullSize_, source);
}

void EnlargeView::SetOverlays(PictureOverlays overlays) {
    overlays_ = overlays;
    // The keys go to the board, which keeps the focus: Shift is watched wherever it is pressed.
    if (overlays_.histogram)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
    // A window without the focus still hears of Shift through the pointer's moves.
    setMouseTracking(overlays_.histogram);
    if (overlays_.shootingInfo)
        ShootingLines::Shared()->Line(currentFile());
    FollowShift(shiftHeld_);
    update();
}

QString EnlargeView::shootingLine() const {
    const std::optional<QString> line = ShootingLines::Shared()->Line(currentFile());
    return line ? *line : PathToQString(FileNameOf(currentFile()));
}

const PictureHistogram& EnlargeView::histogram() const {
    if (image().cacheKey() != histogramOf_) {
        histogram_ = ComputeHistogram(image());
        histogramOf_ = image().cacheKey();
    }
    return histogram_;
}

void EnlargeView::FollowShift(bool held) {
    shiftHeld_ = held;
    const bool tinting = overlays_.histogram && held && isVisible() && underMouse();
    if (tinting != tinting_) {
        tinting_ = tinting;
        update();
    }
}

bool EnlargeView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        // The event of Shift itself carries the state from before it.
        FollowShift(key->key() == Qt::Key_Shift ? event->type() == QEvent::KeyPress
                                                : key->modifiers().testFlag(Qt::ShiftModifier));
    }
    return CThumbCtl::eventFilter(watched, event);
}

void EnlargeView::enterEvent(QEnterEvent* event) {
    CThumbCtl::enterEvent(event);
    FollowShift(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier));
}

void EnlargeView::leaveEvent(QEvent* event) {
    CThumbCtl::leaveEvent(event);
    FollowShift(shiftHeld_);
}

void EnlargeView::PaintOverlays() {
    if (!overlays_.shootingInfo && !overlays_.histogram)
        return;
    const QRectF shown = ShownRect();
    const QRectF visible = shown.intersected(QRectF(contentsRect()));
    if (visible.isEmpty())
        return;
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    if (tinting_)
        PaintClippingTint(painter, showsZoomedPicture() ? fullSize_ : image(), shown, visible, tint_);
    if (overlays_.histogram)
        PaintHistogram(painter, visible, histogram());
    if (overlays_.shootingInfo)
        PaintShootingBand(painter, visible, shootingLine());
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
    if (event->button() == Qt::LeftButton) {
        pressedAt_.reset();
        dragFrom_.reset();
    }
    if (clickedAt) {
        const QPointF point = PictureFractionAt(*clickedAt);
        lastPoint_ = point;
        if (zoom_)
            SetZoom(std::nullopt, {});
        else
            SetZoom(1.0, ZoomAnchor{point, ViewFractionOf(QRectF(contentsRect()), *clickedAt)});
    }
    UpdateCursor();
    CThumbCtl::mouseReleaseEvent(event);
    // The keys sort on the board: a click here must not keep them.
    QWidget* owner = window()->parentWidget();
    if (owner && window()->isActiveWindow())
        owner->activateWindow();
}

void EnlargeView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
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
    SetZoom(next, ZoomAnchor{point, ViewFractionOf(QRectF(contentsRect()), at)});
    if (firstStepUnknown && showsZoomedPicture())
        TakeFirstStep();
    else
        firstStepPending_ = firstStepUnknown;
}

} // namespace pelldrake
