#pragma once

#include "board/board.h"

#include <array>

namespace pelldrake::testing {

// Everything a user sees of the lists: every entry in its place, each list's position and the
// list Backspace returns from.
struct BoardPicture {
    std::array<FilePathList, kListCount> lists;
    BoardMarks marks;
    bool operator==(const BoardPicture&) const = default;
};

inline BoardPicture PictureOf(const Board& board) {
    BoardPicture picture;
    for (ListIndex list = 0; list < kListCount; ++list)
        picture.lists[static_cast<std::size_t>(list)] = board.List(list).Entries();
    picture.marks = board.Marks();
    return picture;
}

} // namespace pelldrake::testing
