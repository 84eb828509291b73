#pragma once

#include <QObject>

class QWidget;

namespace pelldrake {

// Keeps the user's hands off a window while work for it runs in the background: a wait cursor,
// and clicks and keys refused rather than queued, so that nothing acts on what the work is about
// to replace. Painting, hovering and the wheel go on. Closing is left to the window, which has to
// wait for the work if it goes.
class BusyWindow : public QObject {
public:
    explicit BusyWindow(QWidget* window);

    void Set(bool busy);
    bool busy() const { return busy_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    bool busy_ = false;
};

} // namespace pelldrake
