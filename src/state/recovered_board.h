#pragma once

#include "board/gap_buffer.h"
#include "board/list_change.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

namespace pelldrake {

class Board;

// The lists as the recovery files describe them, rebuilt without a window or a look at the disk.
//
// The files are replayed twice. The first pass only counts, and notes where each list was last
// emptied; the second fills each list from there on. A journal that ends in an emptied board (a
// clear before a load) then costs nothing to replay, however much the board held before, and no
// list ever holds more than it ends with. Lists are gap buffers: a journal of a million digit
// keys does not shift a long list a million times.
class RecoveredBoard {
public:
    BoardMarks marks;

    // A board for the second pass, filled from the places the counting pass found.
    static RecoveredBoard FilledAfter(const RecoveredBoard& counted);
    // A board for the first pass: it keeps no path.
    static RecoveredBoard Counting();
    RecoveredBoard() = default;

    const FilePathList& List(ListIndex list) const { return lists_[static_cast<std::size_t>(list)].Contiguous(); }
    // A copy of every list, for a comparison.
    std::array<FilePathList, kListCount> Lists() const;
    int TotalCount() const;
    // A line of the snapshot the journals start from.
    void AddFromSnapshot(ListIndex list, std::string_view path);
    // False, and nothing changed, for a change that does not fit these lists.
    bool Apply(const ListChange& change);
    // Fills an empty board with these lists and shows each at its position.
    void MoveInto(Board& board);

private:
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

    // Whether a change of the list at this place in the files is kept: the snapshot is place 0,
    // the journals' records 1, 2, ...
    bool Fills(std::size_t list, std::int64_t place) const { return place >= fillFrom_[list]; }

    std::array<GapBuffer<FilePath>, kListCount> lists_;
    // Each list's length, whether or not its paths are kept.
    std::array<int, kListCount> counts_{};
    std::array<std::int64_t, kListCount> fillFrom_{};
    std::array<std::int64_t, kListCount> lastClear_{};
    std::int64_t place_ = 0;
};

} // namespace pelldrake
