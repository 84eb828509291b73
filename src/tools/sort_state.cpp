#include "tools/sort_state.h"

namespace pelldrake {

void SortState::Click(int column) {
    ascending = !ascending;
    if (column != lastColumn)
        ascending = false;
    lastColumn = column;
}

SortState& FileListSortState() {
    static SortState state;
    return state;
}

} // namespace pelldrake
