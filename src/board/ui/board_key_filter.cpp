#include "board/ui/board_key_filter.h"

#include "board/ui/classify_board_dialog.h"
#include "resources/key_table.h"

#include <QKeyEvent>
#include <QMetaObject>

namespace pelldrake {

namespace {

bool IsModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr;
}

} // namespace

BoardKeyFilter::BoardKeyFilter(ClassifyBoardDialog& board) : QObject(&board), board_(board), heldKeyLost_(this) {
    heldKeyLost_.setSingleShot(true);
    heldKeyLost_.setInterval(kHeldKeyLostMs);
    connect(&heldKeyLost_, &QTimer::timeout, this, [this] { board_.SetKeyHeld(false); });
}

bool BoardKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // Wherever it goes (a prompt may have opened meanwhile): a key coming up ends the repeating.
    // Shift let go while holding a digit is no release of the digit.
    if (type == QEvent::KeyRelease && !key->isAutoRepeat() && !IsModifier(key->key()) && board_.keyHeld()) {
        heldKeyLost_.stop();
        board_.SetKeyHeld(false);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &board_ || !board_.isEnabled())
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Keep Space, Backspace and Delete from any shortcut so the board gets them as keys.
        const int code = key->key();
        if (code == Qt::Key_Space || code == Qt::Key_Backspace || code == Qt::Key_Delete) {
            event->accept();
            return true;
        }
        return false;
    }
    if (type == QEvent::KeyRelease) {
        if (key->key() == Qt::Key_Shift && !key->isAutoRepeat())
            board_.SetExcludeCaptionForShift(false);
        // The release of Space would press a focused button.
        return key->key() == Qt::Key_Space;
    }
    return KeyPress(key);
}

bool BoardKeyFilter::KeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Shift) {
        if (!event->isAutoRepeat())
            board_.SetExcludeCaptionForShift(true);
        return false;
    }
    const bool shiftHeld = event->modifiers().testFlag(Qt::ShiftModifier);
    const KeyBinding* binding =
        FindBoardKey(DigitKeyFor(event->key(), event->nativeScanCode(), shiftHeld), event->modifiers());
    if (!binding)
        return false;
    const int id = binding->commandId;
    if (binding->route == KeyRoute::Mnemonic) {
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if ((modifiers != Qt::NoModifier && modifiers != Qt::AltModifier) || !board_.MnemonicActive(id))
            return false;
    }
    // A key pressed at a person's pace shows its file sharp as ever.
    board_.SetKeyHeld(event->isAutoRepeat());
    if (event->isAutoRepeat())
        heldKeyLost_.start();
    if (binding->route == KeyRoute::Post) {
        QMetaObject::invokeMethod(
            &board_, [board = &board_, id] { board->RunCommand(id); }, Qt::QueuedConnection);
        return true;
    }
    board_.RunCommand(id);
    return true;
}

} // namespace pelldrake
