#pragma once

#include <QObject>

class QKeyEvent;

namespace pelldrake {

class ClassifyBoardDialog;

// The board's own keys, seen before any control of the board handles them: Delete, Backspace,
// Space, Enter, F1, the Shift caption of the exclude button, and the plain-key mnemonics of the
// board's buttons (the digits sort the current file).
class BoardKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit BoardKeyFilter(ClassifyBoardDialog& board);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool KeyPress(QKeyEvent* event);
    bool PressMnemonic(QKeyEvent* event);

    ClassifyBoardDialog& board_;
};

} // namespace pelldrake
