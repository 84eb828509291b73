#pragma once

#include "board/entry_batch.h"
#include "board/gap_buffer.h"
#include "core/types.h"

#include <vector>

namespace pelldrake {

class BoardHistory;
class BoardOwner;

// One ordered list of paths, each with the file it named when it arrived, and the current position
// its pane shows. None of the entry operations moves the position; the board sets it through
// ResyncPane or a move.
class ClassList {
public:
    int Count() const { return static_cast<int>(entries_.size()); }
    const FilePath& At(int index) const { return entries_[static_cast<std::size_t>(index)]; }
    // For work on the whole list; the entry operations stay cheap at any length only between
    // such calls.
    const std::vector<FilePath>& Entries() const { return entries_.Contiguous(); }
    // The files of the entries, index for index; FileIdentity{} where none was examined.
    const FileIdentity& IdentityAt(int index) const { return identities_[static_cast<std::size_t>(index)]; }
    const std::vector<FileIdentity>& Identities() const { return identities_.Contiguous(); }

    void Append(FilePath path, FileIdentity identity = {});
    // Appends when index is not below the count.
    void InsertBefore(int index, FilePath path, FileIdentity identity = {});
    void RemoveAt(int index);
    void Clear();
    // Appends the entries. Into an empty list (the entries a Clear took out, a first intake) they
    // go as they are, in one step, however many they are.
    void RestoreEntries(EntryBatch&& entries);
    // The count entries from first on, taken out in one piece: undo of a run of a million.
    EntryBatch TakeRun(int first, int count);
    // The entries put back at index, in one piece where index is the end.
    void InsertRun(int index, EntryBatch&& entries);
    void Reserve(int count) {
        entries_.reserve(static_cast<std::size_t>(count));
        identities_.reserve(static_cast<std::size_t>(count));
    }

    // Invariant: 0 <= position <= max(count - 1, 0).
    int position() const { return position_; }
    int MaxPosition() const { return entries_.empty() ? 0 : Count() - 1; }
    bool HasCurrent() const { return position_ < Count(); }
    // Sets the position clamped into the invariant's range.
    void SetPosition(int position);

    // The controls that are enabled only while the list holds an entry.
    void SetDependentControls(std::vector<int> controlIds, BoardOwner* owner);
    const std::vector<int>& DependentControls() const { return dependentControls_; }

    void BeginBulkUpdate() { bulkUpdate_ = true; }
    void EndBulkUpdate();
    bool InBulkUpdate() const { return bulkUpdate_; }
    void UpdateControls();

    // Every change is told to the history before it takes effect.
    void AttachHistory(BoardHistory* history, ListIndex index) {
        history_ = history;
        index_ = index;
    }

private:
    // Changed together, so that both have their gap at the same place.
    GapBuffer<FilePath> entries_;
    GapBuffer<FileIdentity> identities_;
    int position_ = 0;
    std::vector<int> dependentControls_;
    bool bulkUpdate_ = false;
    BoardOwner* owner_ = nullptr;
    BoardHistory* history_ = nullptr;
    ListIndex index_ = kUnclassified;
};

// Ends a bulk update on every way out of a scope, early returns and exceptions included.
class BulkUpdate {
public:
    explicit BulkUpdate(ClassList& list) : list_(list) { list_.BeginBulkUpdate(); }
    ~BulkUpdate() { list_.EndBulkUpdate(); }
    BulkUpdate(const BulkUpdate&) = delete;
    BulkUpdate& operator=(const BulkUpdate&) = delete;

private:
    ClassList& list_;
};

} // namespace pelldrake
