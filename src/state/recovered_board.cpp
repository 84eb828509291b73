#include "state/recovered_board.h"

#include "board/board.h"
#include "platform/file_info.h"

#include <numeric>

namespace pelldrake {

RecoveredBoard RecoveredBoard::Counting() {
    RecoveredBoard board;
    board.fillFrom_.fill(kNever);
    return board;
}

RecoveredBoard RecoveredBoard::FilledAfter(const RecoveredBoard& counted) {
    RecoveredBoard board;
    board.fillFrom_ = counted.lastClear_;
    return board;
}

std::array<FilePathList, kListCount> RecoveredBoard::Lists() const {
    std::array<FilePathList, kListCount> lists;
    for (ListIndex list = 0; list < kListCount; ++list)
        lists[static_cast<std::size_t>(list)] = List(list);
    return lists;
}

int RecoveredBoard::TotalCount() const {
    return std::accumulate(counts_.begin(), counts_.end(), 0);
}

void RecoveredBoard::AddFromSnapshot(ListIndex list, std::string_view path) {
    const auto i = static_cast<std::size_t>(list);
    ++counts_[i];
    if (Fills(i, 0))
        lists_[i].push_back(FilePath(path));
}

bool RecoveredBoard::Apply(const ListChange& change) {
    if (change.list < 0 || change.list >= kListCount)
        return false;
    const auto i = static_cast<std::size_t>(change.list);
    const std::int64_t place = ++place_;
    int& count = counts_[i];
    switch (change.kind) {
    case ListChange::Kind::Insert:
        if (change.index < 0 || change.index > count)
            return false;
        ++count;
        if (Fills(i, place))
            lists_[i].insert(static_cast<std::size_t>(change.index), change.path);
        return true;
    case ListChange::Kind::Remove:
        if (change.index < 0 || change.index >= count)
            return false;
        --count;
        if (Fills(i, place))
            lists_[i].erase(static_cast<std::size_t>(change.index));
        return true;
    case ListChange::Kind::Clear:
        count = 0;
        lists_[i] = {};
        lastClear_[i] = place;
        return true;
    case ListChange::Kind::Position:
        if (change.index < 0)
            return false;
        marks.positions[i] = change.index;
        return true;
    case ListChange::Kind::LastTouched:
        marks.lastTouched = change.list;
        return true;
    }
    return false;
}

void RecoveredBoard::MoveInto(Board& board) {
    for (ListIndex list = 0; list < kListCount; ++list) {
        const auto i = static_cast<std::size_t>(list);
        // Later intakes compare files, not spellings, with what the board holds.
        EntryBatch entries = EntryBatch::Unexamined(lists_[i].TakeAll());
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if (const auto info = StatPath(entries.paths[k]); info && info->IsRegular())
                entries.identities[k] = info->identity();
        }
        board.AppendAndShow(list, std::move(entries), marks.positions[i]);
        counts_[i] = 0;
    }
    board.setLastTouchedList(marks.lastTouched);
}

} // namespace pelldrake
