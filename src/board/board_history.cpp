#include "board/board_history.h"

#include "board/board.h"
#include "platform/worker_run.h"

#include <algorithm>
#include <thread>

namespace pelldrake {

namespace {

// What a path costs in memory: the string and, beyond the small-string buffer, its bytes.
std::size_t PathBytes(const FilePath& path) {
    constexpr std::size_t kInlineCapacity = 15;
    return sizeof(FilePath) + (path.capacity() > kInlineCapacity ? path.capacity() + 1 : 0);
}

// Freeing a million paths takes a noticeable moment, and the window need not wait for it.
template <typename Steps> void Release(Steps&& steps, std::size_t bytes) {
    constexpr std::size_t kWorthAThread = std::size_t{4} << 20;
    if (bytes < kWorthAThread) {
        steps.clear();
        return;
    }
    std::thread([doomed = std::move(steps)]() mutable { doomed.clear(); }).detach();
    steps.clear();
}

// What a batch of entries costs in memory.
std::size_t BatchBytes(const EntryBatch& batch) {
    std::size_t bytes = batch.paths.capacity() * sizeof(FilePath) + batch.identities.capacity() * sizeof(FileIdentity);
    for (const FilePath& path : batch.paths)
        bytes += PathBytes(path) - sizeof(FilePath);
    return bytes;
}

bool ChangesEntries(ListChange::Kind kind) {
    return kind == ListChange::Kind::Insert || kind == ListChange::Kind::Remove || kind == ListChange::Kind::Clear;
}

} // namespace

BoardHistory::Scope::Scope(BoardHistory& history) : history_(history) {
    if (history_.depth_ == 0)
        history_.Commit();
    ++history_.depth_;
}

BoardHistory::Scope::~Scope() {
    if (--history_.depth_ == 0)
        history_.Commit();
}

void BoardHistory::Inserted(ListIndex list, int index, const FilePath& path) {
    if (journal_)
        journal_->RecordInsert(list, index, path);
    // The path stays in the list; undo takes it from there when it removes the entry again, so an
    // intake of a million files is not held twice.
    Keep(ListChange{ListChange::Kind::Insert, list, index, {}});
}

void BoardHistory::InsertedRun(ListIndex list, int first, const std::vector<FilePath>& paths,
                               EntryBatch::PreparedRecords* prepared) {
    if (journal_) {
        if (prepared && prepared->list == list && prepared->first == first && !prepared->records.empty())
            journal_->RecordPrepared(list, std::move(prepared->records));
        else
            journal_->RecordInsertRun(list, first, paths);
    }
    if (!paths.empty())
        Keep(ListChange{ListChange::Kind::Insert, list, first, {}, static_cast<int>(paths.size())});
}

void BoardHistory::PrepareRun(EntryBatch& batch, ListIndex list, int first) const {
    if (journal_)
        batch.journal = {list, first, journal_->PrepareInsertRun(list, first, batch.paths)};
}

void BoardHistory::Removed(ListIndex list, int index, const FilePath& path, const FileIdentity& identity) {
    ListChange change{ListChange::Kind::Remove, list, index, path};
    change.identity = identity;
    Note(std::move(change));
}

void BoardHistory::RemovedRun(ListIndex list, int first, const EntryBatch& run) {
    // A list emptied whole (an intake into an empty list, taken back) is one record, not a million.
    if (journal_ && board_.List(list).Count() == 0)
        journal_->Record(ListChange{ListChange::Kind::Clear, list, 0, {}});
    else if (journal_)
        journal_->RecordRemoveRun(list, first, run.paths);
    if (replaying_)
        return;
    // Last first, as one removal after another would have been kept.
    for (std::size_t k = run.size(); k-- > 0;) {
        ListChange change{ListChange::Kind::Remove, list, first + static_cast<int>(k), run.paths[k]};
        change.identity = run.identities[k];
        Keep(std::move(change));
    }
}

void BoardHistory::Cleared(ListIndex list, EntryBatch&& entries) {
    if (journal_)
        journal_->Record(ListChange{ListChange::Kind::Clear, list, 0, {}});
    if (replaying_) {
        replayCleared_ = std::move(entries);
        return;
    }
    Open();
    const std::size_t bytes = sizeof(ListChange) + BatchBytes(entries);
    open_->changes.push_back(ListChange{ListChange::Kind::Clear, list, static_cast<int>(open_->cleared.size()), {}});
    open_->cleared.push_back(std::move(entries));
    open_->bytes += bytes;
    open_->changesEntries = true;
}

void BoardHistory::PositionChanging(ListIndex list, int position) {
    if (journal_)
        journal_->Record(ListChange{ListChange::Kind::Position, list, position, {}});
    if (!replaying_)
        Open();
}

void BoardHistory::LastTouchedChanging(ListIndex list) {
    if (journal_)
        journal_->Record(ListChange{ListChange::Kind::LastTouched, list, 0, {}});
    if (!replaying_)
        Open();
}

void BoardHistory::Note(ListChange change) {
    if (journal_)
        journal_->Record(change);
    Keep(std::move(change));
}

void BoardHistory::Keep(ListChange change) {
    if (replaying_)
        return;
    Open();
    if (change.kind == ListChange::Kind::Insert && !open_->changes.empty()) {
        ListChange& last = open_->changes.back();
        if (last.kind == ListChange::Kind::Insert && last.list == change.list &&
            last.index + last.count == change.index) {
            last.count += change.count;
            return;
        }
    }
    open_->bytes += sizeof(ListChange) + PathBytes(change.path) - sizeof(FilePath);
    open_->changesEntries = open_->changesEntries || ChangesEntries(change.kind);
    open_->changes.push_back(std::move(change));
}

void BoardHistory::Open() {
    if (open_)
        return;
    open_ = std::make_unique<Step>();
    open_->before = Marks();
}

BoardMarks BoardHistory::Marks() const {
    return board_.Marks();
}

void BoardHistory::Commit() {
    if (open_ && (open_->changesEntries || open_->files)) {
        open_->after = Marks();
        bytes_ += open_->bytes;
        undo_.push_back(std::move(*open_));
        std::size_t redoBytes = 0;
        for (const Step& step : redo_)
            redoBytes += step.bytes;
        bytes_ -= redoBytes;
        Release(std::move(redo_), redoBytes);
        KeepWithinBudget(&undo_.back());
    }
    open_.reset();
    if (journal_)
        journal_->Commit();
}

void BoardHistory::EndFileRun() {
    if (journal_)
        journal_->Record(ListChange{ListChange::Kind::FileRunEnd, 0, 0, {}});
}

void BoardHistory::SyncJournal() {
    if (journal_)
        journal_->Sync();
}

void BoardHistory::AttachFiles(std::shared_ptr<FileUndo> files) {
    if (!files || replaying_)
        return;
    Open();
    open_->bytes += files->bytes();
    open_->files = std::move(files);
}

bool BoardHistory::Undo() {
    Commit();
    if (replaying_ || undo_.empty() || !BringBack(undo_.back()))
        return false;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    // Held here: the files' work may run while the window answers, and nothing may end it.
    const std::shared_ptr<FileUndo> files = step.files;
    const FileUndo::Follow follow = [this](const EntryFixes& fixes) { FollowFiles(fixes); };
    if (files)
        files->BeforeUndo(follow);
    Unwind(step);
    redo_.push_back(std::move(step));
    if (files) {
        files->Undo(follow);
        EndFilesOfStep();
    } else if (journal_) {
        journal_->Commit();
    }
    KeepWithinBudget(&redo_.back());
    return true;
}

bool BoardHistory::Redo() {
    Commit();
    if (replaying_ || redo_.empty() || !BringBack(redo_.back()))
        return false;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    PrepareRedoRecords(step);
    const std::shared_ptr<FileUndo> files = step.files;
    Rewind(step);
    undo_.push_back(std::move(step));
    if (files) {
        files->Redo([this](const EntryFixes& fixes) { FollowFiles(fixes); });
        EndFilesOfStep();
    } else if (journal_) {
        journal_->Commit();
    }
    KeepWithinBudget(&undo_.back());
    return true;
}

void BoardHistory::EndFilesOfStep() {
    if (!journal_)
        return;
    EndFileRun();
    journal_->Commit();
    // The files have moved: the lists that now name them must outlast a power loss.
    journal_->Sync();
}

void BoardHistory::Unwind(Step& step) {
    replaying_ = true;
    for (const ListChange& change : step.changes)
        board_.List(change.list).BeginBulkUpdate();
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it) {
        ClassList& list = board_.List(it->list);
        switch (it->kind) {
        case ListChange::Kind::Insert: {
            // Redo puts back what undo takes out, in one piece: an intake of a million is taken
            // back without a copy.
            EntryBatch run = list.TakeRun(it->index, it->count);
            std::size_t bytes = run.size() * (sizeof(FilePath) + sizeof(FileIdentity));
            for (const FilePath& path : run.paths)
                bytes += path.capacity();
            Account(step, static_cast<std::ptrdiff_t>(bytes));
            step.undoneRuns[static_cast<std::size_t>(std::distance(it, step.changes.rend()) - 1)] = std::move(run);
            break;
        }
        case ListChange::Kind::Remove:
            list.InsertBefore(it->index, it->path, it->identity);
            break;
        case ListChange::Kind::Clear: {
            EntryBatch& cleared = step.cleared[static_cast<std::size_t>(it->index)];
            Account(step, -static_cast<std::ptrdiff_t>(BatchBytes(cleared)));
            list.RestoreEntries(std::move(cleared));
            break;
        }
        default:
            break;
        }
    }
    Show(step, step.before);
    replaying_ = false;
}

void BoardHistory::FollowFiles(const EntryFixes& fixes) {
    if (fixes.empty())
        return;
    replaying_ = true;
    ApplyEntryFixes(board_, fixes);
    replaying_ = false;
}

void BoardHistory::PrepareRedoRecords(Step& step) {
    // Below this many entries the records cost the window less than a thread would.
    constexpr std::size_t kLongRun = 50'000;
    if (!journal_)
        return;
    std::vector<std::pair<const ListChange*, EntryBatch*>> runs;
    for (auto& [at, run] : step.undoneRuns) {
        if (run.size() >= kLongRun)
            runs.emplace_back(&step.changes[at], &run);
    }
    if (runs.empty())
        return;
    // Nothing has changed yet: the other thread reads only the step's own entries, and the run
    // lock keeps every command out meanwhile.
    const RunLock::Scope running(board_.runLock());
    RunOffThread(nullptr, [this, &runs](ProgressSink&) {
        for (auto& [change, run] : runs)
            run->journal = {change->list, change->index,
                            journal_->PrepareInsertRun(change->list, change->index, run->paths)};
    });
}

void BoardHistory::Rewind(Step& step) {
    replaying_ = true;
    for (const ListChange& change : step.changes)
        board_.List(change.list).BeginBulkUpdate();
    for (ListChange& change : step.changes) {
        ClassList& list = board_.List(change.list);
        switch (change.kind) {
        case ListChange::Kind::Insert: {
            const auto run = step.undoneRuns.find(static_cast<std::size_t>(&change - step.changes.data()));
            if (run == step.undoneRuns.end())
                break;
            EntryBatch& taken = run->second;
            std::size_t bytes = taken.size() * (sizeof(FilePath) + sizeof(FileIdentity));
            for (const FilePath& path : taken.paths)
                bytes += path.capacity();
            list.InsertRun(change.index, std::move(taken));
            step.undoneRuns.erase(run);
            Account(step, -static_cast<std::ptrdiff_t>(bytes));
            break;
        }
        case ListChange::Kind::Remove:
            list.RemoveAt(change.index);
            break;
        case ListChange::Kind::Clear:
            list.Clear();
            step.cleared[static_cast<std::size_t>(change.index)] = std::move(replayCleared_);
            replayCleared_ = {};
            Account(step,
                    static_cast<std::ptrdiff_t>(BatchBytes(step.cleared[static_cast<std::size_t>(change.index)])));
            break;
        default:
            break;
        }
    }
    Show(step, step.after);
    replaying_ = false;
}

void BoardHistory::Show(const Step& step, const BoardMarks& marks) {
    std::array<bool, kListCount> touched{};
    for (const ListChange& change : step.changes)
        touched[static_cast<std::size_t>(change.list)] = true;
    for (ListIndex list = 0; list < kListCount; ++list) {
        const auto i = static_cast<std::size_t>(list);
        if (touched[i])
            board_.List(list).EndBulkUpdate();
        if (touched[i] || board_.List(list).position() != marks.positions[i])
            board_.ResyncPane(list, marks.positions[i]);
    }
    board_.setLastTouchedList(marks.lastTouched);
}

void BoardHistory::Account(Step& step, std::ptrdiff_t bytes) {
    step.bytes = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(step.bytes) + bytes);
    bytes_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(bytes_) + bytes);
}

void BoardHistory::Forget() {
    open_.reset();
    Release(std::move(undo_), bytes_);
    Release(std::move(redo_), bytes_);
    bytes_ = 0;
}

void BoardHistory::setBudget(std::size_t bytes) {
    budget_ = bytes;
    KeepWithinBudget();
}

void BoardHistory::setDiskBudget(std::uint64_t bytes) {
    diskBudget_ = bytes;
    KeepWithinBudget();
}

void BoardHistory::KeepWithinBudget(const Step* arrived) {
    if (!arrived || EntriesBytes(*arrived) >= kWorthSpilling)
        maybeSpillable_ = true;
    std::deque<Step> dropped;
    std::size_t droppedBytes = 0;
    const auto dropOldest = [&] {
        bytes_ -= undo_.front().bytes;
        droppedBytes += undo_.front().bytes;
        dropped.push_back(std::move(undo_.front()));
        undo_.pop_front();
    };
    // Steps go by age alone: a large step goes to the disk, and the oldest go only when small
    // steps by the hundred thousand fill the memory.
    bool spilled = false;
    while (bytes_ > budget_) {
        if (Step* largest = LargestToSpill()) {
            Spill(*largest);
            spilled = true;
        } else if (undo_.size() > 1) {
            dropOldest();
        } else {
            break;
        }
    }
    // The disk has its bound too; the newest step stays, however large.
    if (spilled && !undo_.empty()) {
        std::uint64_t onDisk = OnDisk(undo_) + OnDisk(redo_);
        std::uint64_t older = OnDisk(undo_) - (undo_.back().spilled ? undo_.back().spilled->heldBytes() : 0);
        while (onDisk > diskBudget_ && older > 0) {
            const std::uint64_t held = undo_.front().spilled ? undo_.front().spilled->heldBytes() : 0;
            onDisk -= held;
            older -= held;
            dropOldest();
        }
    }
    Release(std::move(dropped), droppedBytes);
}

} // namespace pelldrake
