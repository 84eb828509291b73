#pragma once

#include "board/board.h"

#include <array>
#include <vector>

namespace pelldrake {

// Which lists the file list window changed; their panes are refreshed when it closes.
using ChangedLists = std::array<bool, kListCount>;

// The move target beyond the lists: the entries only leave the board.
inline constexpr int kDropFromBoard = kListCount;

// Moves the entries at positions of list from to the end of list target, or drops them when
// target is kDropFromBoard. The highest position goes first, so no removal shifts a position
// still to come and the entries arrive in reverse order. Positions no longer in the list are
// skipped. Nothing on disk changes and no pane is refreshed.
void MoveEntries(Board& board, ListIndex from, int target, std::vector<int> positions, ChangedLists& changed);

} // namespace pelldrake
