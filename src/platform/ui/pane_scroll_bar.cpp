#include "platform/ui/pane_scroll_bar.h"

#include <QWheelEvent>
#include <utility>

namespace pelldrake {

PaneScrollBar::PaneScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setFocusPolicy(Qt::NoFocus);
    setRange(0, 0);
    setPageStep(1);
    connect(this, &QAbstractSlider::actionTriggered, this, &PaneScrollBar::OnAction);
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        emit scrolled(ScrollCode::ThumbPosition, sliderPosition());
        emit scrolled(ScrollCode::EndScroll, sliderPosition());
    });
}

void PaneScrollBar::OnAction(int action) {
    actionSeen_ = true;
    if (action == SliderMove) {
        emit scrolled(ScrollCode::ThumbTrack, sliderPosition());
        return;
    }
    static constexpr std::pair<int, ScrollCode> kSteps[] = {
        {SliderSingleStepSub, ScrollCode::LineUp}, {SliderSingleStepAdd, ScrollCode::LineDown},
        {SliderPageStepSub, ScrollCode::PageUp},   {SliderPageStepAdd, ScrollCode::PageDown},
        {SliderToMinimum, ScrollCode::Top},        {SliderToMaximum, ScrollCode::Bottom}};
    for (const auto& [qtAction, code] : kSteps) {
        if (qtAction != action)
            continue;
        // The board sets the position itself; Qt's own step is undone first.
        const int before = value();
        setSliderPosition(before);
        emit scrolled(code, before);
        return;
    }
}

void PaneScrollBar::contextMenuEvent(QContextMenuEvent* event) {
    // Qt's menu runs its step actions without a release to end them, and "scroll here" moves the
    // bar without any action: the pane would count on a file it never showed.
    const int before = value();
    actionSeen_ = false;
    QScrollBar::contextMenuEvent(event);
    if (!actionSeen_ && value() != before) {
        const int chosen = value();
        setSliderPosition(before);
        emit scrolled(ScrollCode::ThumbPosition, chosen);
    }
    emit scrolled(ScrollCode::EndScroll, value());
}

void PaneScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasDragging = isSliderDown();
    QScrollBar::mouseReleaseEvent(event);
    // A thumb drag reports its own end through sliderReleased.
    if (!wasDragging)
        emit scrolled(ScrollCode::EndScroll, value());
}

void PaneScrollBar::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        event->ignore();
        return;
    }
    for (int i = 0; i < std::abs(steps); ++i)
        emit scrolled(steps > 0 ? ScrollCode::LineUp : ScrollCode::LineDown, value());
    emit scrolled(ScrollCode::EndScroll, value());
    event->accept();
}

void PaneScrollBar::keyPressEvent(QKeyEvent* event) {
    // Never takes the focus; keys belong to the board.
    event->ignore();
}

} // namespace pelldrake
