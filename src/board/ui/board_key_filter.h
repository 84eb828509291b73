#pragma once

#include <QObject>

class QKeyEvent;

namespace pelldrake {

class ClassifyBoardDialog;

// Sees every key of the board before any of its controls does, and turns the keys of the key
// table into commands; Shift alone only changes the exclude button's caption.
class BoardKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit BoardKeyFilter(ClassifyBoardDialog& board);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool KeyPress(QKeyEvent* event);

    ClassifyBoardDialog& board_;
};

} // namespace pelldrake
