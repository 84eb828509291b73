#pragma once

#include <QObject>
#include <QTimer>

class QKeyEvent;

namespace pelldrake {

class ClassifyBoardDialog;

// Sees every key of the board before any of its controls does, and turns the keys of the key
// table into commands; Shift alone only changes the exclude button's caption. A command key
// repeating tells the board that the key is held down, until the key comes up.
class BoardKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit BoardKeyFilter(ClassifyBoardDialog& board);

    // A held key whose release went astray (to another program, say) counts as released when
    // it has not repeated for this long.
    static constexpr int kHeldKeyLostMs = 500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool KeyPress(QKeyEvent* event);

    ClassifyBoardDialog& board_;
    QTimer heldKeyLost_;
};

} // namespace pelldrake
