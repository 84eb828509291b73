#include "platform/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace pelldrake {

BusyCursor::BusyCursor() : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (active_)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    if (active_)
        QGuiApplication::restoreOverrideCursor();
}

} // namespace pelldrake
