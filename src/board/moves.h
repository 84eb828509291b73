#pragma once

#include "board/board.h"

// Sorting by hand: entries move between lists; no file on disk is touched. Each ends with the
// touched panes showing their new state.
namespace pelldrake::moves {

// The unclassified list's current entry to the end of list n (1 … 10).
void MoveCurrentToList(Board& board, ListIndex n);

// List n's current entry back into the unclassified list, before its current entry.
void ReturnCurrentToUnclassified(Board& board, ListIndex n);

// Every entry of from to the end of to; a target outside 0 … 10 only empties from.
void MoveAllEntries(Board& board, ListIndex from, int to);

// The unclassified list's current entry leaves the board; with everything, all of them.
void ExcludeCurrent(Board& board, bool everything);

void ClearList(Board& board, ListIndex list);
void ClearAll(Board& board);

// Enter: one step forward in the unclassified list, never past its end.
void StepUnclassified(Board& board);

} // namespace pelldrake::moves
