#pragma once

namespace pelldrake {

// How the file list window sorted last. One for the whole run, shared by every opening of the
// window and never saved, so a click continues from wherever the previous window left off.
struct SortState {
    int lastColumn = 0;
    bool ascending = false;

    // A click on a column header: the same column again turns the order round, another column
    // starts descending.
    void Click(int column);
};

SortState& FileListSortState();

} // namespace pelldrake
