#include "board/class_list.h"

#include "board/board_history.h"
#include "board/board_owner.h"

#include <algorithm>

namespace pelldrake {

void ClassList::Append(FilePath path, FileIdentity identity) {
    if (history_)
        history_->Inserted(index_, Count(), path);
    entries_.push_back(std::move(path));
    identities_.push_back(identity);
}

void ClassList::InsertBefore(int index, FilePath path, FileIdentity identity) {
    if (index < 0 || index >= Count()) {
        Append(std::move(path), identity);
        return;
    }
    if (history_)
        history_->Inserted(index_, index, path);
    entries_.insert(static_cast<std::size_t>(index), std::move(path));
    identities_.insert(static_cast<std::size_t>(index), identity);
}

void ClassList::RemoveAt(int index) {
    if (index < 0 || index >= Count())
        return;
    if (history_)
        history_->Removed(index_, index, At(index), IdentityAt(index));
    entries_.erase(static_cast<std::size_t>(index));
    identities_.erase(static_cast<std::size_t>(index));
}

void ClassList::Clear() {
    EntryBatch taken{entries_.TakeAll(), identities_.TakeAll()};
    // The history keeps what it may have to put back; without one the memory goes at once.
    if (history_ && !taken.empty())
        history_->Cleared(index_, std::move(taken));
}

void ClassList::RestoreEntries(EntryBatch&& entries) {
    if (entries.identities.size() != entries.paths.size())
        entries.identities.resize(entries.paths.size());
    if (history_)
        history_->InsertedRun(index_, Count(), entries.paths, &entries.journal);
    if (!entries_.empty()) {
        Reserve(Count() + static_cast<int>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            entries_.push_back(std::move(entries.paths[i]));
            identities_.push_back(entries.identities[i]);
        }
        return;
    }
    entries_.Assign(std::move(entries.paths));
    identities_.Assign(std::move(entries.identities));
}

EntryBatch ClassList::TakeRun(int first, int count) {
    // An older step may count on an entry an undo has let go (its file gone from the trash): it
    // takes back what is there, never beyond the end.
    first = std::clamp(first, 0, Count());
    count = std::clamp(count, 0, Count() - first);
    const auto from = static_cast<std::size_t>(first);
    const auto taken = static_cast<std::size_t>(count);
    EntryBatch run{entries_.TakeRange(from, taken), identities_.TakeRange(from, taken)};
    if (history_)
        history_->RemovedRun(index_, first, run);
    return run;
}

void ClassList::InsertRun(int index, EntryBatch&& entries) {
    if (index >= Count()) {
        RestoreEntries(std::move(entries));
        return;
    }
    for (std::size_t k = 0; k < entries.size(); ++k)
        InsertBefore(index + static_cast<int>(k), std::move(entries.paths[k]), entries.identities[k]);
}

void ClassList::SetPosition(int position) {
    const int clamped = std::clamp(position, 0, MaxPosition());
    if (clamped != position_ && history_)
        history_->PositionChanging(index_, clamped);
    position_ = clamped;
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
