#include "board/board.h"

#include "board/board_owner.h"
#include "resources/control_ids.h"
#include "resources/strings.h"

#include <algorithm>

namespace pelldrake {

Board::Board() {
    for (ListIndex i = 0; i < kListCount; ++i)
        List(i).AttachHistory(&history_, i);
}

void Board::setLastTouchedList(ListIndex list) {
    if (list != lastTouchedList_)
        history_.LastTouchedChanging(list);
    lastTouchedList_ = list;
}

BoardMarks Board::Marks() const {
    BoardMarks marks;
    for (ListIndex list = 0; list < kListCount; ++list)
        marks.positions[static_cast<std::size_t>(list)] = List(list).position();
    marks.lastTouched = lastTouchedList_;
    return marks;
}

int Board::TotalCount() const {
    int total = 0;
    for (const ClassList& list : lists_)
        total += list.Count();
    return total;
}

void Board::CloseGaps() const {
    for (const ClassList& list : lists_) {
        list.Entries();
        list.Identities();
    }
}

std::vector<int> Board::DependentControlsOf(ListIndex list) {
    if (list == kUnclassified) {
        std::vector<int> controls{ids::kOpen, ids::Dispose(0), ids::kExclude};
        for (ListIndex n = 1; n < kListCount; ++n)
            controls.push_back(ids::NumberButton(n));
        return controls;
    }
    return {ids::Dispose(list), ids::MoveAll(list), ids::MoveOne(list)};
}

void Board::AttachOwner(BoardOwner* owner) {
    owner_ = owner;
    for (ListIndex i = 0; i < kListCount; ++i) {
        List(i).SetDependentControls(DependentControlsOf(i), owner);
        List(i).UpdateControls();
    }
}

void Board::ResyncPane(ListIndex list, std::optional<int> newPosition) {
    ClassList& classList = List(list);
    classList.SetPosition(newPosition.value_or(classList.position()));
    if (!owner_)
        return;
    owner_->SetScrollState(list, classList.MaxPosition(), classList.position());
    owner_->ShowCurrent(list);
    owner_->ShowTitle(list);
}

void Board::AppendAndShow(ListIndex list, EntryBatch entries, std::optional<int> position) {
    ClassList& classList = List(list);
    {
        BulkUpdate bulk(classList);
        // Into an empty list (the first intake of a session) the paths go as they are, in one step.
        classList.RestoreEntries(std::move(entries));
    }
    ResyncPane(list, position);
}

FilePathList Board::ReadAheadOf(ListIndex list) const {
    const ClassList& classList = List(list);
    const int position = classList.position();
    FilePathList neighbours;
    for (int step = 1; step <= kReadAheadForward && position + step < classList.Count(); ++step)
        neighbours.push_back(classList.At(position + step));
    if (position > 0 && position - 1 < classList.Count())
        neighbours.push_back(classList.At(position - 1));
    return neighbours;
}

bool Board::HoldsSortedEntries() const {
    return std::any_of(lists_.begin() + 1, lists_.end(), [](const ClassList& list) { return list.Count() > 0; });
}

QString Board::PaneTitle(ListIndex list) const {
    const ClassList& classList = List(list);
    const int count = classList.Count();
    const int shown = std::min(classList.position() + 1, count);
    if (list == kUnclassified)
        return QString::asprintf(strings::kUnclassifiedPaneTitle, shown, count);
    return QString::asprintf(strings::kClassPaneTitle, list, shown, count);
}

} // namespace pelldrake
