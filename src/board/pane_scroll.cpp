#include "board/pane_scroll.h"

#include <algorithm>

namespace pelldrake {

int ScrolledPosition(ScrollCode code, int position, int maximum, int trackPosition) {
    switch (code) {
    case ScrollCode::LineUp:
    case ScrollCode::PageUp:
        --position;
        break;
    case ScrollCode::LineDown:
    case ScrollCode::PageDown:
        ++position;
        break;
    case ScrollCode::ThumbTrack:
    case ScrollCode::ThumbPosition:
        position = trackPosition;
        break;
    case ScrollCode::Top:
        position = 0;
        break;
    case ScrollCode::Bottom:
        position = maximum;
        break;
    case ScrollCode::EndScroll:
        break;
    }
    return std::clamp(position, 0, std::max(maximum, 0));
}

} // namespace pelldrake
