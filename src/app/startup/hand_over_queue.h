#pragma once

#include "app/command_line.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>

namespace pelldrake {

class ClassifyBoardDialog;

// Command lines for the board, taken in one after the other whenever the board is free: the
// program's own first, then those later starts hand over. A question, a side dialog or a long
// operation on screen holds the next one back, so that no intake ever runs inside another.
class HandOverQueue : public QObject {
    Q_OBJECT

public:
    HandOverQueue();

    // The board appears once the start-up checks are done; until then everything waits.
    void AttachBoard(ClassifyBoardDialog* board);
    // raise: brings the board to the front first, as for a start that ended in favour of it.
    void Add(const CommandLine& commandLine, bool raise);

private:
    struct Item {
        CommandLine commandLine;
        bool raise;
    };
    void TakeNext();
    bool BoardFree() const;

    QPointer<ClassifyBoardDialog> board_;
    std::deque<Item> waiting_;
    QTimer retry_;
    bool taking_ = false;
};

} // namespace pelldrake
