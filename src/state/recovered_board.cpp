#include "state/recovered_board.h"

#include "board/board.h"
#include "platform/file_info.h"

namespace pelldrake {

int RecoveredBoard::TotalCount() const {
    int total = 0;
    for (const FilePathList& list : lists)
        total += static_cast<int>(list.size());
    return total;
}

bool RecoveredBoard::Apply(const ListChange& change) {
    if (change.list < 0 || change.list >= kListCount)
        return false;
    const auto i = static_cast<std::size_t>(change.list);
    FilePathList& list = lists[i];
    const auto count = static_cast<int>(list.size());
    switch (change.kind) {
    case ListChange::Kind::Insert:
        if (change.index < 0 || change.index > count)
            return false;
        list.insert(list.begin() + change.index, change.path);
        return true;
    case ListChange::Kind::Remove:
        if (change.index < 0 || change.index >= count)
            return false;
        list.erase(list.begin() + change.index);
        return true;
    case ListChange::Kind::Clear:
        list.clear();
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
        EntryBatch entries = EntryBatch::Unexamined(std::move(lists[i]));
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if (const auto info = StatPath(entries.paths[k]); info && info->IsRegular())
                entries.identities[k] = info->identity();
        }
        board.AppendAndShow(list, std::move(entries), marks.positions[i]);
        lists[i].clear();
    }
    board.setLastTouchedList(marks.lastTouched);
}

} // namespace pelldrake
