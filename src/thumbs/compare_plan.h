#pragma once

#include "core/types.h"

#include <QRect>
#include <optional>
#include <vector>

namespace pelldrake {

class ClassList;

// Side by side, two to four entries of one list: the current entry and those after it, or a pinned
// file first and the list from its current entry after it.
struct ComparePlan {
    FilePathList cells;     // one a cell; the empty path past the end of the list
    int currentCell = -1;   // the cell of the list's current entry; -1 when the list is empty
    bool pinned = false;    // the first cell holds the pinned file
    FilePath nextAfterLast; // the entry a step brings into the last cell; empty when none
};

// The pinned file counts only while the list still holds it: sorted away, it lets go.
ComparePlan PlanCompare(const ClassList& list, int cellCount, const std::optional<FilePath>& pinned);

// Cell index of cellCount cells in area: 2 and 3 in a row, 4 in two rows. All cells have one size,
// so that a picture decoded for one cell serves the next when the files move on by one.
QRect CompareCellRect(const QRect& area, int cellCount, int index);

} // namespace pelldrake
