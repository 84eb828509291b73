#include "board/pane_scroll_bar.h"

#include <QWheelEvent>

namespace pelldrake {

PaneScrollBar::PaneScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setFocusPolicy(Qt::NoFocus);
    setRange(0, 0);
    setPageStep(1);
    connect(this, &QAbstractSlider::actionTriggered, this, &PaneScrollBar::OnAction);
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        emit scrolled(ScrollCode::ThumbPosition, sliderPosition());
        tracking_ = false;
        emit scrolled(ScrollCode::EndScroll, sliderPosition());
    });
}

void PaneScrollBar::OnAction(int action) {
    // The board sets the position itself; Qt's own step is undone first.
    const int before = value();
    switch (action) {
    case SliderSingleStepSub:
        setSliderPosition(before);
        emit scrolled(ScrollCode::LineUp, before);
        break;
    case SliderSingleStepAdd:
        setSliderPosition(before);
        emit scrolled(ScrollCode::LineDown, before);
        break;
    case SliderPageStepSub:
        setSliderPosition(before);
        emit scrolled(ScrollCode::PageUp, before);
        break;
    case SliderPageStepAdd:
        setSliderPosition(before);
        emit scrolled(ScrollCode::PageDown, before);
        break;
    case SliderToMinimum:
        setSliderPosition(before);
        emit scrolled(ScrollCode::Top, before);
        break;
    case SliderToMaximum:
        setSliderPosition(before);
        emit scrolled(ScrollCode::Bottom, before);
        break;
    case SliderMove:
        tracking_ = true;
        emit scrolled(ScrollCode::ThumbTrack, sliderPosition());
        break;
    default:
        break;
    }
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
