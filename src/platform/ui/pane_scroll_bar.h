#pragma once

#include "platform/scroll_code.h"

#include <QScrollBar>

namespace pelldrake {

// A vertical scroll bar that reports what the user does as scroll codes, with an end-of-scroll
// code when the mouse button is released, so the pane can keep the expensive thumbnail update
// until the action is over.
class PaneScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit PaneScrollBar(QWidget* parent = nullptr);

signals:
    // trackPosition is where the thumb is for ThumbTrack and ThumbPosition.
    void scrolled(pelldrake::ScrollCode code, int trackPosition);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnAction(int action);

    bool actionSeen_ = false;
};

} // namespace pelldrake
