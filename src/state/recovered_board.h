#pragma once

#include "board/gap_buffer.h"
#include "board/list_change.h"

#include <array>
#include <concepts>
#include <cstdint>
#include <functional>
#include <limits>
#include <string_view>
#include <vector>

namespace pelldrake {

class Board;

// Where a path stands in the recovery files: length bytes at offset of the file-th file read (the
// snapshot is file 0, the journals follow in order).
struct PathPlace {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t file = 0;
};

// The lists as the recovery files describe them, rebuilt without a window or a look at the disk.
// An entry is the path itself, or, for a snapshot written from the files themselves, its place in
// them: 16 bytes an entry, so that the journal's thread never holds a second copy of a board of a
// million paths.
//
// The files are replayed twice. The first pass only counts, and notes where each list was last
// emptied; the second fills each list from there on. A journal that ends in an emptied board (a
// clear before a load) then costs nothing to replay, however much the board held before, and no
// list ever holds more than it ends with. Lists are gap buffers: a journal of a million digit
// keys does not shift a long list a million times.
template <typename Entry> class BasicRecoveredBoard {
public:
    BoardMarks marks;

    // A board for the second pass, filled from the places the counting pass found.
    static BasicRecoveredBoard FilledAfter(const BasicRecoveredBoard& counted);
    // A board for the first pass: it keeps no entry.
    static BasicRecoveredBoard Counting();

    const std::vector<Entry>& List(ListIndex list) const { return lists_[static_cast<std::size_t>(list)].Contiguous(); }
    // A copy of every list, for a comparison.
    std::array<std::vector<Entry>, kListCount> Lists() const;
    int TotalCount() const;
    // A line of the snapshot the journals start from, at offset of it.
    void AddFromSnapshot(ListIndex list, std::string_view path, std::uint64_t offset);
    // False, and nothing changed, for a change that does not fit these lists. An insert's path
    // stands at place in the files.
    bool Apply(const ListChange& change, PathPlace place = {});
    // What the file run the files end in did to the lists: entries whose files left go, entries
    // whose files came back return. present says whether a file is there.
    void SettleFileRun(const std::function<bool(const FilePath&)>& present) requires std::same_as<Entry, FilePath>;
    bool HasFileRun() const { return !fileRun_.empty(); }
    // The temporary files the file run the files end in was about to make: any still there is
    // one whose rename never came.
    const std::vector<FilePath>& ScratchFiles() const { return scratch_; }
    // Back to where the last command ended: what follows was cut short.
    void DropUncommitted();

    // Fills an empty board with these lists and shows each at its position; with findPairs, the
    // JPEG entries are paired again (FindPairsAgain). A board that holds entries already (the work
    // of another copy, restored first) keeps them, its positions and its last list, and is given
    // the entries after its own, but for those naming a file it holds: no file is in two lists.
    void MoveInto(Board& board, bool findPairs = false) requires std::same_as<Entry, FilePath>;

private:
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

    // Whether a change of the list at this place in the files is kept: the snapshot is place 0,
    // the journals' records 1, 2, ...
    bool Fills(std::size_t list, std::int64_t place) const { return place >= fillFrom_[list]; }

    struct FileFact {
        FileFate fate = FileFate::Leaves;
        ListIndex list = kUnclassified;
        int index = 0;
        FilePath path;
        bool done = false;
    };
    // What a change of the entries leaves behind that the end of a command fixes.
    struct Counted {
        std::array<int, kListCount> counts{};
        std::array<std::int64_t, kListCount> lastClear{};
        BoardMarks marks;
        std::int64_t place = 0;
    };

    std::array<GapBuffer<Entry>, kListCount> lists_;
    // Each list's length, whether or not its entries are kept.
    std::array<int, kListCount> counts_{};
    std::array<std::int64_t, kListCount> fillFrom_{};
    std::array<std::int64_t, kListCount> lastClear_{};
    std::int64_t place_ = 0;
    Counted committed_;
    std::vector<FileFact> fileRun_;
    std::vector<FilePath> scratch_;
};

using RecoveredBoard = BasicRecoveredBoard<FilePath>;
using PlacedBoard = BasicRecoveredBoard<PathPlace>;

extern template class BasicRecoveredBoard<FilePath>;
extern template class BasicRecoveredBoard<PathPlace>;

} // namespace pelldrake
