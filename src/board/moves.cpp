#include "board/moves.h"

#include "platform/worker_run.h"

#include <algorithm>

namespace pelldrake::moves {

namespace {

// After the current entry went: the one that followed, or the new last one.
int ClampedAfterRemoval(const ClassList& list, int oldPosition) {
    return std::min(oldPosition, list.MaxPosition());
}

// Above this many entries a list is copied on a thread of its own, the window painting meanwhile.
constexpr int kCopiedAside = 50'000;

// The entries of from, as they go to the end of to, with the journal's records of them. The history
// keeps from's own entries for undo, so the target takes a copy.
EntryBatch CopyForMove(Board& board, ListIndex from, ListIndex to) {
    const auto copy = [&board, from, to] {
        const ClassList& source = board.List(from);
        EntryBatch batch{source.Entries(), source.Identities()};
        board.history().PrepareRun(batch, to, board.List(to).Count());
        return batch;
    };
    if (board.List(from).Count() < kCopiedAside)
        return copy();
    const RunLock::Scope running(board.runLock());
    board.CloseGaps();
    EntryBatch batch;
    RunOffThread(nullptr, [&](ProgressSink&) { batch = copy(); });
    return batch;
}

} // namespace

void MoveCurrentToList(Board& board, ListIndex n) {
    ClassList& unclassified = board.List(kUnclassified);
    const int p = unclassified.position();
    if (!unclassified.HasCurrent())
        return;
    board.setLastTouchedList(n);

    FilePath path = unclassified.At(p);
    const FileIdentity identity = unclassified.IdentityAt(p);
    unclassified.RemoveAt(p);
    unclassified.UpdateControls();
    board.ResyncPane(kUnclassified, ClampedAfterRemoval(unclassified, p));

    ClassList& target = board.List(n);
    target.Append(std::move(path), identity);
    target.UpdateControls();
    board.ResyncPane(n, target.Count() - 1);
}

void ReturnCurrentToUnclassified(Board& board, ListIndex n) {
    ClassList& source = board.List(n);
    const int p = source.position();
    if (!source.HasCurrent())
        return;
    board.setLastTouchedList(n);

    FilePath path = source.At(p);
    const FileIdentity identity = source.IdentityAt(p);
    source.RemoveAt(p);
    source.UpdateControls();
    board.ResyncPane(n, ClampedAfterRemoval(source, p));

    ClassList& unclassified = board.List(kUnclassified);
    const int q = unclassified.position();
    if (unclassified.HasCurrent()) {
        unclassified.InsertBefore(q, std::move(path), identity);
    } else {
        unclassified.Append(std::move(path), identity);
        unclassified.UpdateControls();
    }
    board.ResyncPane(kUnclassified, q);
}

void MoveAllEntries(Board& board, ListIndex from, int to) {
    if (to == from)
        return;
    ClassList& source = board.List(from);
    if (to >= 0 && to < kListCount) {
        EntryBatch copy = CopyForMove(board, from, to);
        ClassList& target = board.List(to);
        // Ends on the target first, then on the source.
        BulkUpdate sourceBulk(source);
        BulkUpdate targetBulk(target);
        target.RestoreEntries(std::move(copy));
        board.ResyncPane(to);
    }
    source.Clear();
    source.UpdateControls();
    board.ResyncPane(from, 0);
}

void ExcludeCurrent(Board& board, bool everything) {
    ClassList& unclassified = board.List(kUnclassified);
    int p = unclassified.position();
    if (everything) {
        unclassified.Clear();
        unclassified.UpdateControls();
        p = 0;
    } else if (unclassified.HasCurrent()) {
        unclassified.RemoveAt(p);
        unclassified.UpdateControls();
        p = ClampedAfterRemoval(unclassified, p);
    }
    board.ResyncPane(kUnclassified, p);
}

void ClearList(Board& board, ListIndex list) {
    board.List(list).Clear();
    board.List(list).UpdateControls();
    board.ResyncPane(list, 0);
}

void ClearAll(Board& board) {
    for (ListIndex list = 0; list < kListCount; ++list)
        ClearList(board, list);
}

void StepUnclassified(Board& board) {
    ClassList& unclassified = board.List(kUnclassified);
    int position = unclassified.position();
    if (position < unclassified.MaxPosition())
        ++position;
    board.ResyncPane(kUnclassified, position);
}

} // namespace pelldrake::moves
