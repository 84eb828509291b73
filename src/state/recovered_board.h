#pragma once

#include "board/list_change.h"

#include <array>

namespace pelldrake {

class Board;

// The lists as the recovery files describe them, rebuilt without a window or a look at the disk.
struct RecoveredBoard {
    std::array<FilePathList, kListCount> lists;
    BoardMarks marks;

    int TotalCount() const;
    // False, and nothing changed, for a change that does not fit these lists.
    bool Apply(const ListChange& change);
    // Fills an empty board with these lists and shows each at its position.
    void MoveInto(Board& board);
};

} // namespace pelldrake
