#pragma once

#include "platform/scroll_code.h"

namespace pelldrake {

// Where a pane's position goes for a scroll action: a line or a page is one entry, a drag goes
// where the thumb is, and the ends are the first and last entry. Never leaves 0 … maximum.
int ScrolledPosition(ScrollCode code, int position, int maximum, int trackPosition);

} // namespace pelldrake
