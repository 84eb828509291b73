#include "platform/ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace pelldrake {

namespace {

QClipboard* ApplicationClipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

} // namespace

bool QtClipboard::Place(std::unique_ptr<QMimeData> contents) {
    QClipboard* clipboard = ApplicationClipboard();
    if (!clipboard)
        return false;
    const QMimeData* placed = contents.get();
    clipboard->setMimeData(contents.release());
    // QClipboard reports no failure: when another client keeps the selection (X11) or the
    // platform has no clipboard, reading back does not give our own data.
    return clipboard->mimeData() == placed;
}

const QMimeData* QtClipboard::Contents() {
    QClipboard* clipboard = ApplicationClipboard();
    return clipboard ? clipboard->mimeData() : nullptr;
}

Clipboard& SystemClipboard() {
    static QtClipboard clipboard;
    return clipboard;
}

} // namespace pelldrake
