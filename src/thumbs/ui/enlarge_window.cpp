#include "thumbs/ui/enlarge_window.h"

#include "resources/dialog_template.h"
#include "resources/dialog_units.h"
#include "resources/strings.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace pelldrake {

EnlargeWindow::EnlargeWindow(QWidget* board, SettingsFile settings)
    : QWidget(board, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), settings_(std::move(settings)),
      thumbnail_(new CThumbCtl(this)) {
    const DialogTemplate& layout = EnlargeTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    setFont(DialogFont());
    thumbnail_->setGeometry(QRect(QPoint(0, 0), DialogUnits(font()).ToPixels(layout.size)));

    settleTimer_.setInterval(kSettleTickMs);
    connect(&settleTimer_, &QTimer::timeout, this, &EnlargeWindow::OnSettleTick);

    wantedOuter_ = settings_.ExpandViewRect();
    // A hand-edited size far beyond the screens would cost gigabytes of window buffer for nothing;
    // the position stays as stored, on a screen or not.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        wantedOuter_.setSize(wantedOuter_.size().boundedTo(screen->virtualSize()));
    ApplyMinimumSize();
    move(wantedOuter_.topLeft());
    resize(wantedOuter_.size().expandedTo(minimumSize()));
}

QSize EnlargeWindow::FrameMargins() const {
    const QRect outer = frameGeometry();
    return outer.size() - size();
}

void EnlargeWindow::ApplyMinimumSize() {
    const QSize margins = FrameMargins();
    setMinimumSize(std::max(1, kMinimumOuterSize - margins.width()), std::max(1, kMinimumOuterSize - margins.height()));
}

void EnlargeWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The frame is known only once the window manager has it; the stored rectangle is the outer one.
    if (!placedWithFrame_ && !FrameMargins().isNull()) {
        placedWithFrame_ = true;
        ApplyMinimumSize();
        resize((wantedOuter_.size() - FrameMargins()).expandedTo(minimumSize()));
    }
}

void EnlargeWindow::SetFile(const FilePath& path) {
    thumbnail_->ShowFile(path);
    currentPath_ = path;
    if (settleCountdown_ != 0) {
        settleCountdown_ = 0;
        settleTimer_.stop();
    }
}

void EnlargeWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    thumbnail_->setGeometry(rect());
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
    SetFile(currentPath_);
}

void EnlargeWindow::SaveGeometry() const {
    settings_.WriteExpandViewRect(frameGeometry());
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
    event->ignore();
}

} // namespace pelldrake
