#include "platform/file_info.h"
#include "thumbs/shooting_lines.h"
#include "thumbs/ui/enlarge_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

// The shooting data and the histogram drawn over the view's picture.

namespace pelldrake {

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
        PaintClippingTint(painter, showsWholeZoomedPicture() ? fullSize_ : image(), shown, visible, tint_);
    if (overlays_.histogram)
        PaintHistogram(painter, visible, histogram());
    if (overlays_.shootingInfo)
        PaintShootingBand(painter, visible, shootingLine());
}

} // namespace pelldrake
