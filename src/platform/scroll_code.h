#pragma once

namespace pelldrake {

// What the user does to a scroll bar, as the pane reacts to it. EndScroll closes every action,
// so the expensive thumbnail update can wait until the action is over.
enum class ScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbTrack, ThumbPosition, Top, Bottom, EndScroll };

} // namespace pelldrake
