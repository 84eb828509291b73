#pragma once

#include "core/types.h"

namespace pelldrake {

// What the board model needs from the window that shows it.
class BoardOwner {
public:
    virtual ~BoardOwner() = default;

    virtual void SetControlEnabled(int controlId, bool enabled) = 0;
    // Enables the board window and gives it the keyboard focus.
    virtual void FocusBoard() = 0;
    // The pane's scroll bar: range 0 … maximum, thumb at position.
    virtual void SetScrollState(ListIndex list, int maximum, int position) = 0;
    // Thumbnail, enlarge window and (list 0) status line for the current entry.
    virtual void ShowCurrent(ListIndex list) = 0;
    virtual void ShowTitle(ListIndex list) = 0;
};

} // namespace pelldrake
