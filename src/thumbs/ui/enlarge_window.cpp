#include "thumbs/ui/enlarge_window.h"

#include "resources/dialog_template.h"
#include "resources/dialog_units.h"
#include "resources/strings.h"
#include "thumbs/ui/compare_cells.h"
#include "thumbs/ui/enlarge_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMargins>
#include <QScreen>
#include <algorithm>
#include <utility>

namespace pelldrake {

namespace {
constexpr std::pair<int, int> kFurthestPosition{-32768, 32767};
} // namespace

EnlargeWindow::EnlargeWindow(QWidget* board, SettingsFile settings)
    : QWidget(board, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), settings_(std::move(settings)),
      cells_(new CompareCells(this)), thumbnail_(cells_->cell(0)), settleTimer_(this) {
    const DialogTemplate& layout = EnlargeTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    setFont(DialogFont());
    cells_->setGeometry(QRect(QPoint(0, 0), DialogUnits(font()).ToPixels(layout.size)));
    cells_->PlaceCells();

    settleTimer_.setInterval(kSettleTickMs);
    connect(&settleTimer_, &QTimer::timeout, this, &EnlargeWindow::OnSettleTick);

    // Before a window manager frames the window, outer and inner rectangles are the same.
    outer_ = settings_.ExpandViewRect();
    // A hand-edited size far beyond the screens would cost gigabytes of window buffer for nothing;
    // the position stays as stored, on a screen or not.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        outer_.setSize(outer_.size().boundedTo(screen->virtualSize()));
    // X11 keeps window positions in 16 bits; a hand-edited -2147483648 would also overflow every
    // sum with the frame's margins.
    outer_.moveTopLeft(QPoint(std::clamp(outer_.left(), kFurthestPosition.first, kFurthestPosition.second),
                              std::clamp(outer_.top(), kFurthestPosition.first, kFurthestPosition.second)));
    move(outer_.topLeft());
    resize(outer_.size().expandedTo(QSize(1, 1)));
    ApplyMinimumSize();
}

CThumbCtl* EnlargeWindow::thumbnail() const {
    return thumbnail_;
}

QMargins EnlargeWindow::FrameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

void EnlargeWindow::ApplyMinimumSize() {
    // A drag stops at 100 × 100 outside; a smaller stored rectangle is still restored as it is.
    const QMargins margins = FrameMargins();
    const QSize frame(margins.left() + margins.right(), margins.top() + margins.bottom());
    setMinimumSize(QSize(kMinimumOuterSize, kMinimumOuterSize).boundedTo(outer_.size()) - frame);
}

void EnlargeWindow::FollowFrame() {
    if (!isVisible() || FrameMargins().isNull())
        return;
    if (!placedWithFrame_) {
        // The frame arrives from the window manager after the window is shown: only then can the
        // stored outer rectangle be met, by giving the inside what the frame leaves.
        placedWithFrame_ = true;
        ApplyMinimumSize();
        setGeometry(outer_.marginsRemoved(FrameMargins()));
        return;
    }
    outer_ = frameGeometry();
}

void EnlargeWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FollowFrame();
}

void EnlargeWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    FollowFrame();
}

void EnlargeWindow::SetFile(const FilePath& path) {
    thumbnail_->ShowFile(path);
    currentPath_ = path;
    if (settleCountdown_ != 0) {
        settleCountdown_ = 0;
        settleTimer_.stop();
    }
}

void EnlargeWindow::SetCellCount(int count) {
    cells_->SetCellCount(count);
}

void EnlargeWindow::SetFiles(const ComparePlan& plan) {
    cells_->ShowFiles(plan);
    currentPath_ = plan.currentCell >= 0 ? plan.cells[static_cast<std::size_t>(plan.currentCell)] : FilePath();
    if (settleCountdown_ != 0) {
        settleCountdown_ = 0;
        settleTimer_.stop();
    }
}

void EnlargeWindow::HoldBackDecodes(bool held) {
    cells_->HoldBackDecodes(held);
}

void EnlargeWindow::SetOverlays(PictureOverlays overlays) {
    overlays_ = overlays;
    cells_->SetOverlays(overlays);
}

void EnlargeWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    cells_->setGeometry(rect());
    cells_->PlaceCells();
    if (placedWithFrame_ || FrameMargins().isNull())
        outer_ = frameGeometry();
    FollowFrame();
    // Decoding at every step of a drag would be wasted work: draw again once the size settles.
    settleCountdown_ = kSettleTicks;
    settleTimer_.start();
}

void EnlargeWindow::OnSettleTick() {
    if (settleCountdown_ != 0) {
        --settleCountdown_;
        return;
    }
    settleTimer_.stop();
    if (cells_->cellCount() > 1)
        SetFiles(cells_->plan());
    else
        SetFile(currentPath_);
}

void EnlargeWindow::SaveGeometry() const {
    // A hidden window may no longer know its frame: its place and the last outer size seen.
    settings_.WriteExpandViewRect(isVisible() ? frameGeometry() : QRect(pos(), outer_.size()));
}

void EnlargeWindow::keyPressEvent(QKeyEvent* event) {
    // Enter and Esc mean nothing here; they must not close or hide the window.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void EnlargeWindow::closeEvent(QCloseEvent* event) {
    // A window manager may give it a close box anyway: that hides it through the board, as Esc does.
    event->ignore();
    emit closeRequested();
}

} // namespace pelldrake
