#include "app/startup/hand_over_queue.h"

#include "app/startup/open_arguments.h"
#include "board/ui/classify_board_dialog.h"
#include "intake/ui/intake_commands.h"

#include <QApplication>

namespace pelldrake {

namespace {

// How often a held-back command line looks again whether the board has become free.
constexpr int kRetryMs = 200;

void BringToFront(QWidget& board) {
    board.setWindowState(board.windowState() & ~Qt::WindowMinimized);
    board.show();
    board.raise();
    board.activateWindow();
}

} // namespace

HandOverQueue::HandOverQueue() {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &HandOverQueue::TakeNext);
}

void HandOverQueue::AttachBoard(ClassifyBoardDialog* board) {
    board_ = board;
    // Once the board is on screen: questions about folders need it as their owner.
    QTimer::singleShot(0, this, &HandOverQueue::TakeNext);
}

void HandOverQueue::Add(const CommandLine& commandLine, bool raise) {
    waiting_.push_back({commandLine, raise});
    if (board_)
        QTimer::singleShot(0, this, &HandOverQueue::TakeNext);
}

bool HandOverQueue::BoardFree() const {
    return !taking_ && QApplication::activeModalWidget() == board_ && QApplication::overrideCursor() == nullptr &&
           !board_->intake().running();
}

void HandOverQueue::TakeNext() {
    if (!board_ || waiting_.empty())
        return;
    if (!BoardFree()) {
        retry_.start();
        return;
    }
    taking_ = true;
    while (!waiting_.empty() && board_) {
        const Item item = std::move(waiting_.front());
        waiting_.pop_front();
        if (item.raise)
            BringToFront(*board_);
        OpenArguments(*board_, item.commandLine);
    }
    taking_ = false;
}

} // namespace pelldrake
