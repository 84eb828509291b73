#include "thumbs/compare_plan.h"

#include "board/class_list.h"

#include <algorithm>

namespace pelldrake {

ComparePlan PlanCompare(const ClassList& list, int cellCount, const std::optional<FilePath>& pinned) {
    ComparePlan plan;
    // Entry by entry: a look at the whole list at once would close the gap the sorting keys keep open.
    for (int index = 0; pinned && !plan.pinned && index < list.Count(); ++index)
        plan.pinned = list.At(index) == *pinned;
    if (plan.pinned)
        plan.cells.push_back(*pinned);
    const int first = list.position();
    if (list.HasCurrent())
        plan.currentCell = static_cast<int>(plan.cells.size());
    for (int index = first; static_cast<int>(plan.cells.size()) < cellCount; ++index)
        plan.cells.push_back(index < list.Count() ? list.At(index) : FilePath());
    const int next = first + cellCount - (plan.pinned ? 1 : 0);
    if (list.HasCurrent() && next < list.Count())
        plan.nextAfterLast = list.At(next);
    return plan;
}

QRect CompareCellRect(const QRect& area, int cellCount, int index) {
    const int columns = cellCount == 4 ? 2 : std::max(cellCount, 1);
    const int rows = cellCount == 4 ? 2 : 1;
    const int width = area.width() / columns;
    const int height = area.height() / rows;
    return QRect(area.x() + index % columns * width, area.y() + index / columns * height, width, height);
}

} // namespace pelldrake
