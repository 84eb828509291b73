#pragma once

#include "board/list_change.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pelldrake {

class Board;
class RecoveryFiles;

// Keeps the recovery files up to date with the board. Each command's changes reach the journal
// with one write before the next key is handled, so a killed program loses nothing; the disk is
// made to hold them at most a second later (at once after a disposal). Once the journal outgrows
// the lists, the journal starts anew and a worker thread writes the lists rebuilt from the files
// as the new snapshot, so the disk sees bytes in proportion to the changes, not to the board, and
// the user-interface thread never copies the board.
class RecoveryJournal final : public ListChangeSink {
public:
    // Writes the board as it stands as the snapshot of the given generation and opens its journal;
    // null when either cannot be written (the board then runs without recovery).
    static std::unique_ptr<RecoveryJournal> Start(const RecoveryFiles& files, const Board& board, int generation);
    ~RecoveryJournal() override;
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;

    void Record(const ListChange& change) override;
    void RecordInsert(ListIndex list, int index, std::string_view path) override;
    void RecordInsertRun(ListIndex list, int first, const FilePathList& paths) override;
    std::vector<std::string> PrepareInsertRun(ListIndex list, int first, const FilePathList& paths) const override;
    void RecordPrepared(ListIndex list, std::vector<std::string>&& records) override;
    void RecordRemoveRun(ListIndex list, int first, const FilePathList& paths) override;
    void Commit() override;

    // What one command changed up to this size is sealed and written here at once; beyond it (an
    // intake of a million files), the worker seals and writes it, freeing the memory of its
    // records as it goes, and the command waits for it.
    static constexpr std::size_t kMostWrittenHere = std::size_t{1} << 20;

    // Waits until what was written is on the disk: a disposal changed files the lists name.
    void Sync() override;
    // Written at once, each by itself, from the thread of the file run; no snapshot replaces the
    // journal until the run's end is recorded, as a snapshot holds lists, not file records.
    void FileIntent(FileFate fate, ListIndex list, int index, std::string_view path) override;
    void FileDone() override;
    void ScratchIntent(std::string_view path) override;
    // A normal end: the files go, as there is nothing to recover.
    void Finish();

    // The journal grows to at least this, and to twice what a snapshot of the lists would take,
    // before a snapshot replaces it: a first intake of a million files is no reason to write them
    // all again at once.
    static constexpr std::size_t kLeastBeforeSnapshot = std::size_t{4} << 20;
    void setLeastBeforeSnapshot(std::size_t bytes) { leastBeforeSnapshot_ = bytes; }
    int generation() const { return generation_; }
    std::size_t journalBytes() const { return journalBytes_; }
    // Waits until no snapshot is being written; for tests and benchmarks.
    void WaitForSnapshot();

private:
    struct SnapshotJob;
    RecoveryJournal(const RecoveryFiles& files, int fd, int generation);
    void Count(ListChange::Kind kind, ListIndex list, std::size_t pathBytes);
    // Keeps records made in pieces, in order after what was recorded before.
    void KeepPieces(std::vector<std::string>&& records);
    void StartSnapshot();
    void Work();
    void WriteSnapshot(SnapshotJob& job);
    void StopWorker();
    // One record of a file run, written at once after what was queued before it.
    void WriteFileRecord(ListChange::Kind kind, ListIndex list, int index, std::string_view path);
    // Writes whole records where no other writer of the journal can cut in.
    bool WriteRecords(int fd, std::string_view records);

    const RecoveryFiles& files_;
    int fd_;
    int generation_;
    std::string pending_;
    // Records made ahead (RecordPrepared), in order with what pending_ held before each.
    std::vector<std::string> prepared_;
    std::size_t journalBytes_ = 0;
    // What a snapshot of each list would take, as the records tell it.
    std::array<std::size_t, kListCount> listBytes_{};
    std::size_t leastBeforeSnapshot_ = kLeastBeforeSnapshot;
    bool failed_ = false;

    struct QueuedWrite {
        int fd = -1;
        std::vector<std::string> records;
    };
    bool WriteQueued(QueuedWrite& write);

    // Shared with the worker, under mutex_.
    std::mutex mutex_;
    std::deque<QueuedWrite> writes_;
    // Written or being written by the worker; later records wait behind them, in order.
    std::size_t writesLeft_ = 0;
    bool writeFailed_ = false;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::unique_ptr<SnapshotJob> job_;
    bool writingSnapshot_ = false;
    bool unsynced_ = false;
    bool stop_ = false;
    // A file run's records are in the journal and its end is not.
    bool fileRunOpen_ = false;
    // The last FileIntent's FileDone, sent with the next record: a kill before it leaves the
    // intent alone, which the disk then settles as it would have.
    bool doneOwed_ = false;
    // Since a new journal began, the folder that names it and the old one's tail await Sync.
    bool folderUnsynced_ = false;
    int oldFdUnsynced_ = -1;
    int syncFd_;
    std::mutex writeMutex_;
    std::thread worker_;
};

} // namespace pelldrake
