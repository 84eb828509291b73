#include "tools/ui/anchor_layout.h"

#include <QEvent>
#include <QWidget>

namespace pelldrake {

void AnchorLayout::Attach(QWidget* owner) {
    if (owner_)
        owner_->removeEventFilter(this);
    owner_ = owner;
    attachedSize_ = owner->size();
    // The window system then stops a border dragged inward at the starting size.
    owner->setMinimumSize(attachedSize_);
    owner->installEventFilter(this);
}

void AnchorLayout::Add(QWidget* control, int flags) {
    entries_.push_back({control, control->geometry(), flags});
}

void AnchorLayout::OnSize() {
    if (!owner_ || entries_.empty())
        return;
    const int dx = owner_->width() - attachedSize_.width();
    const int dy = owner_->height() - attachedSize_.height();
    // Always from the registered rectangles, so a window made smaller again moves them back.
    owner_->setUpdatesEnabled(false);
    for (const Entry& entry : entries_) {
        if (!entry.control)
            continue;
        QRect rect = entry.registered;
        if (entry.flags & kGrowWidth)
            rect.setWidth(rect.width() + dx);
        if (entry.flags & kGrowHeight)
            rect.setHeight(rect.height() + dy);
        if (entry.flags & kFollowRight)
            rect.moveLeft(rect.left() + dx);
        if (entry.flags & kFollowBottom)
            rect.moveTop(rect.top() + dy);
        entry.control->setGeometry(rect);
    }
    owner_->setUpdatesEnabled(true);
}

bool AnchorLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == owner_ && event->type() == QEvent::Resize)
        OnSize();
    return false;
}

} // namespace pelldrake
