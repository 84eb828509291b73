#include "platform/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>

namespace pelldrake {

namespace {

bool OnCursorThread() {
    const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return application && QThread::currentThread() == application->thread();
}

} // namespace

BusyCursor::BusyCursor() : active_(OnCursorThread()) {
    if (active_)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    if (active_)
        QGuiApplication::restoreOverrideCursor();
}

BusyCursorLifted::BusyCursorLifted() {
    if (!OnCursorThread())
        return;
    for (; QGuiApplication::overrideCursor(); ++lifted_)
        QGuiApplication::restoreOverrideCursor();
}

BusyCursorLifted::~BusyCursorLifted() {
    for (; lifted_ > 0; --lifted_)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

} // namespace pelldrake
