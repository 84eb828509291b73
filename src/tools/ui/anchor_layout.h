#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace pelldrake {

// Keeps child controls placed while their owner window is resized: each control's edges follow
// the owner's right or bottom edge as its anchor flags say. Serves any resizable dialog.
class AnchorLayout : public QObject {
public:
    enum Anchor {
        kGrowWidth = 1,
        kGrowHeight = 2,
        kFollowRight = 4,
        kFollowBottom = 8,
    };

    // Remembers the owner's present size, which is also the smallest the owner may become.
    void Attach(QWidget* owner);
    // Records the control's present rectangle in its parent's coordinates and its flags.
    void Add(QWidget* control, int flags);

    // Places every control for the owner's present size. Runs by itself on every resize.
    void OnSize();

    QSize attachedSize() const { return attachedSize_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QPointer<QWidget> control;
        QRect registered;
        int flags;
    };

    QPointer<QWidget> owner_;
    QSize attachedSize_;
    std::vector<Entry> entries_;
};

} // namespace pelldrake
