#include "tools/ui/busy_window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace pelldrake {

namespace {

bool IsUserAction(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

BusyWindow::BusyWindow(QWidget* window) : QObject(window), window_(window) {}

void BusyWindow::Set(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    // A filter on the window would see only its own events, not its controls'; the application's sees them all, so
    // it is there only while busy.
    if (busy) {
        QCoreApplication::instance()->installEventFilter(this);
        window_->setCursor(Qt::WaitCursor);
    } else {
        QCoreApplication::instance()->removeEventFilter(this);
        window_->unsetCursor();
    }
}

bool BusyWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!IsUserAction(event->type()))
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == window_;
}

} // namespace pelldrake
