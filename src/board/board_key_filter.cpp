#include "board/board_key_filter.h"

#include "board/classify_board_dialog.h"
#include "board/moves.h"
#include "resources/control_ids.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMetaObject>

namespace pelldrake {

namespace {

// With Shift held a digit key arrives as its shifted symbol on most layouts.
int DigitKey(const QKeyEvent* event) {
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key;
    static const std::pair<int, int> kShiftedDigits[] = {
        {Qt::Key_Exclam, Qt::Key_1},     {Qt::Key_At, Qt::Key_2},       {Qt::Key_NumberSign, Qt::Key_3},
        {Qt::Key_Dollar, Qt::Key_4},     {Qt::Key_Percent, Qt::Key_5},  {Qt::Key_AsciiCircum, Qt::Key_6},
        {Qt::Key_Ampersand, Qt::Key_7},  {Qt::Key_Asterisk, Qt::Key_8}, {Qt::Key_ParenLeft, Qt::Key_9},
        {Qt::Key_ParenRight, Qt::Key_0}, {Qt::Key_QuoteDbl, Qt::Key_2}, {Qt::Key_Apostrophe, Qt::Key_7}};
    if (event->modifiers() & Qt::ShiftModifier) {
        for (auto [shifted, digit] : kShiftedDigits) {
            if (key == shifted)
                return digit;
        }
    }
    return 0;
}

} // namespace

BoardKeyFilter::BoardKeyFilter(ClassifyBoardDialog& board) : QObject(&board), board_(board) {}

bool BoardKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &board_ || !board_.isEnabled())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
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
    switch (event->key()) {
    case Qt::Key_Delete:
        QMetaObject::invokeMethod(
            &board_, [board = &board_] { board->RunCommand(ids::kExclude); }, Qt::QueuedConnection);
        return true;
    case Qt::Key_Backspace:
        if (board_.board().lastTouchedList() != kUnclassified)
            moves::ReturnCurrentToUnclassified(board_.board(), board_.board().lastTouchedList());
        return true;
    case Qt::Key_Space:
        board_.EnlargeCommand(kUnclassified);
        return true;
    case Qt::Key_Shift:
        if (!event->isAutoRepeat())
            board_.SetExcludeCaptionForShift(true);
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        board_.RunCommand(ids::kOk);
        return true;
    case Qt::Key_F1:
        board_.ShowContextHelp();
        return true;
    default:
        return PressMnemonic(event);
    }
}

bool BoardKeyFilter::PressMnemonic(QKeyEvent* event) {
    // A plain key (or Alt with it) presses the enabled button whose mnemonic it is.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (modifiers != Qt::NoModifier && modifiers != Qt::AltModifier)
        return false;
    const int digit = DigitKey(event);
    const int key = digit ? digit : event->key();
    if (QAbstractButton* button = board_.ButtonForMnemonic(key)) {
        button->click();
        return true;
    }
    return false;
}

} // namespace pelldrake
