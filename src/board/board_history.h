#pragma once

#include "board/entry_batch.h"
#include "board/entry_fixes.h"
#include "board/list_change.h"
#include "board/step_spill.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace pelldrake {

class Board;
class ProgressSink;
class ScratchFile;

// What a step did to files on disk, taken back or done again after the step's lists. A file that
// does not go where the lists now say has its entry follow it through follow, whose changes belong
// to the step and reach the journal within its command.
class FileUndo {
public:
    using Follow = std::function<void(const EntryFixes&)>;
    virtual ~FileUndo() = default;
    // Before the lists go back: what the last Redo added to them leaves again, so that the step
    // puts back exactly what it took.
    virtual void BeforeUndo(const Follow&) {}
    virtual void Undo(const Follow& follow) = 0;
    virtual void Redo(const Follow& follow) = 0;
    virtual std::size_t bytes() const = 0;
};

// Every change of the board's lists passes through here before it takes effect: it is fed to the
// recovery journal as it happens, and grouped into steps, one a command, that can be taken back
// and done again. Stepping through a list (a position alone) is no step of its own.
class BoardHistory {
public:
    static constexpr std::size_t kDefaultBudget = std::size_t{64} << 20;
    static constexpr std::uint64_t kDefaultDiskBudget = std::uint64_t{4} << 30;

    explicit BoardHistory(Board& board) : board_(board) {}
    BoardHistory(const BoardHistory&) = delete;
    BoardHistory& operator=(const BoardHistory&) = delete;

    // Called by the lists before each change.
    void Inserted(ListIndex list, int index, const FilePath& path);
    // paths are appended at first, the list's count; prepared, when it fits, is their journal.
    void InsertedRun(ListIndex list, int first, const std::vector<FilePath>& paths,
                     EntryBatch::PreparedRecords* prepared = nullptr);
    void Removed(ListIndex list, int index, const FilePath& path, const FileIdentity& identity);
    // run was taken out from first on, in one piece.
    void RemovedRun(ListIndex list, int first, const EntryBatch& run);
    void Cleared(ListIndex list, EntryBatch&& entries);
    void PositionChanging(ListIndex list, int position);
    void LastTouchedChanging(ListIndex list);

    // The recovery journal, or none.
    void setJournal(ListChangeSink* journal) { journal_ = journal; }
    // For ListChangeSink::PrepareInsertRun on another thread, while the lists are held still.
    const ListChangeSink* journal() const { return journal_; }
    // For the file records of a run, from its own thread.
    ListChangeSink* journal() { return journal_; }
    // The lists now follow the file run that just ended: recorded with the changes that make them.
    void EndFileRun();
    // Prepares the journal's records of batch going in at the end of list as it stands.
    void PrepareRun(EntryBatch& batch, ListIndex list, int first) const;
    // Waits until the journal is on the disk: after a disposal, whose files the lists name.
    void SyncJournal();

    // What one command does is one step: the outermost scope ends it, and a scope begins by ending
    // whatever came in between (a timer, a hand-over) as a step of its own.
    class Scope {
    public:
        explicit Scope(BoardHistory& history);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        BoardHistory& history_;
    };
    void Commit();

    // Gives the open step the files it touched, so that undo and redo take them along.
    void AttachFiles(std::shared_ptr<FileUndo> files);

    // Drops every step, done and undone, and what the open step holds.
    void Forget();

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Lists, positions and panes back as they were before the last step; false when there is none.
    bool Undo();
    bool Redo();

    // The memory the history may hold. Beyond it the largest steps go to the disk, and only when
    // a great many small steps are left, the oldest of them go.
    void setBudget(std::size_t bytes);
    std::size_t bytes() const { return bytes_; }
    int undoCount() const { return static_cast<int>(undo_.size()); }

    // What the steps kept on the disk may take there, counted as they took in memory: beyond it the
    // oldest steps go, never the newest.
    void setDiskBudget(std::uint64_t bytes);
    // Where those steps go; ScratchFolders() unless told.
    void setScratchFolder(FilePath folder) { scratchFolder_ = std::move(folder); }
    // The progress, with its stop, of reading a step back off the disk: one made for each reading.
    void setReadBackProgress(std::function<std::unique_ptr<ProgressSink>()> make) {
        readBackProgress_ = std::move(make);
    }
    // Bytes the steps take on the disk, once written.
    std::uint64_t diskBytes() const;
    // Waits until every step on its way to the disk is there: for tests and measurements.
    void WaitUntilWritten();

private:
    struct Step {
        std::vector<ListChange> changes;
        // The entries each Clear took out; a Clear's index names its slot here.
        std::vector<EntryBatch> cleared;
        // The entries of a run of inserts, taken out by undo for redo, by the run's place in changes.
        std::unordered_map<std::size_t, EntryBatch> undoneRuns;
        BoardMarks before;
        BoardMarks after;
        std::shared_ptr<FileUndo> files;
        std::size_t bytes = 0;
        bool changesEntries = false;
        // Where changes, cleared and undoneRuns are while the step is kept on the disk.
        std::unique_ptr<SpilledEntries> spilled;
    };

    void Note(ListChange change);
    void Keep(ListChange change);
    // A step in the history grows or shrinks by bytes.
    void Account(Step& step, std::ptrdiff_t bytes);
    void Open();
    BoardMarks Marks() const;
    // Ends the undo or redo of a step's files in the journal, on the disk.
    void EndFilesOfStep();
    void Unwind(Step& step);
    void Rewind(Step& step);
    // The entries the step's files took along, changed as part of the step.
    void FollowFiles(const EntryFixes& fixes);
    // The journal's records of the long runs a redo puts back, made on a thread of their own.
    void PrepareRedoRecords(Step& step);
    void Show(const Step& step, const BoardMarks& marks);
    // Below this a step costs its stub in memory all the same: it stays where it is.
    static constexpr std::size_t kWorthSpilling = std::size_t{4} << 10;

    // Keeps the memory and the disk within their bounds once arrived (a new step, or one moved by
    // undo or redo) has joined the history; without one, every step is looked at again.
    void KeepWithinBudget(const Step* arrived = nullptr);

    // Kept on the disk (board_history_spill.cpp).
    static std::size_t EntriesBytes(const Step& step);
    Step* LargestToSpill();
    void Spill(Step& step);
    // The step's entries back in memory, false when the reading was stopped or failed.
    bool BringBack(Step& step);
    // What those of steps that are kept on the disk took in memory.
    static std::uint64_t OnDisk(const std::deque<Step>& steps);

    Board& board_;
    ListChangeSink* journal_ = nullptr;
    int depth_ = 0;
    bool replaying_ = false;
    EntryBatch replayCleared_;
    std::unique_ptr<Step> open_;
    std::deque<Step> undo_;
    std::deque<Step> redo_;
    std::size_t bytes_ = 0;
    std::size_t budget_ = kDefaultBudget;
    std::uint64_t diskBudget_ = kDefaultDiskBudget;
    // False once a look found no step worth keeping on the disk, until a large one arrives.
    bool maybeSpillable_ = true;
    FilePath scratchFolder_;
    std::shared_ptr<ScratchFile> scratch_;
    std::function<std::unique_ptr<ProgressSink>()> readBackProgress_;
};

} // namespace pelldrake
