#include "board/class_list.h"

#include "board/board_owner.h"

#include <algorithm>

namespace pelldrake {

void ClassList::Append(FilePath path) {
    entries_.push_back(std::move(path));
}

void ClassList::InsertBefore(int index, FilePath path) {
    if (index < 0 || index >= Count()) {
        Append(std::move(path));
        return;
    }
    entries_.insert(entries_.begin() + index, std::move(path));
}

void ClassList::RemoveAt(int index) {
    if (index < 0 || index >= Count())
        return;
    entries_.erase(entries_.begin() + index);
}

void ClassList::Clear() {
    entries_.clear();
    entries_.shrink_to_fit();
}

void ClassList::SetPosition(int position) {
    position_ = std::clamp(position, 0, MaxPosition());
}

void ClassList::SetDependentControls(std::vector<int> controlIds, BoardOwner* owner) {
    dependentControls_ = std::move(controlIds);
    owner_ = owner;
}

void ClassList::EndBulkUpdate() {
    bulkUpdate_ = false;
    UpdateControls();
}

void ClassList::UpdateControls() {
    if (bulkUpdate_ || !owner_)
        return;
    const bool enabled = !entries_.empty();
    for (int id : dependentControls_)
        owner_->SetControlEnabled(id, enabled);
    owner_->FocusBoard();
}

} // namespace pelldrake
