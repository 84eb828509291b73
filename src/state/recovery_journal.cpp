#include "state/recovery_journal.h"

#include "board/board.h"
#include "state/journal_record.h"
#include "state/placed_paths.h"
#include "state/recovery_files.h"
#include "state/work_state_writer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>
#include <utility>

namespace pelldrake {

namespace {

constexpr auto kSyncInterval = std::chrono::seconds(1);

bool WriteAll(int fd, std::string_view bytes);

// A journal opens with a command's end, before anything else: the replay knows from it that every
// command here ends in one, and takes a command without its end, cut short by a kill, for none.
int OpenJournal(const FilePath& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    std::string start;
    journal_record::Append(ListChange{ListChange::Kind::CommandEnd, 0, 0, {}}, start);
    if (fd >= 0 && !WriteAll(fd, start)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A new or renamed name survives a power loss only once its folder is on the disk too.
void SyncFolder(const FilePath& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The records of a run in pieces small enough for memory just freed, rather than in one block of
// tens of megabytes taken anew from the system. Removals go last first, so that each index still
// holds when its record is read, and without their paths, which a removal's replay never reads:
// taking back an intake of a million costs the window a few megabytes of records, not seventy.
std::vector<std::string> EncodeRun(ListChange::Kind kind, ListIndex list, int first, const FilePathList& paths) {
    constexpr std::size_t kPieceBytes = std::size_t{64} << 10;
    const bool removal = kind == ListChange::Kind::Remove;
    // The n-th record is of this entry, and names this path.
    const auto entryAt = [&](std::size_t n) { return removal ? paths.size() - 1 - n : n; };
    const auto pathOf = [&](std::size_t i) { return removal ? std::string_view() : std::string_view(paths[i]); };
    std::vector<std::string> pieces;
    for (std::size_t n = 0; n < paths.size();) {
        // Each piece is sized once and its records written in place.
        std::size_t bytes = 0;
        std::size_t end = n;
        while (end < paths.size() && bytes < kPieceBytes)
            bytes += journal_record::kOverheadBytes + pathOf(entryAt(end++)).size();
        std::string& piece = pieces.emplace_back(bytes, '\0');
        char* at = piece.data();
        for (; n < end; ++n) {
            const std::size_t i = entryAt(n);
            journal_record::WriteUnsealed(kind, list, first + static_cast<int>(i), pathOf(i), at);
            at += journal_record::kOverheadBytes + pathOf(i).size();
        }
    }
    return pieces;
}

} // namespace

struct RecoveryJournal::SnapshotJob {
    int generation = 0;
    int oldFd = -1;
};

std::unique_ptr<RecoveryJournal> RecoveryJournal::Start(const RecoveryFiles& files, const Board& board,
                                                        int generation) {
    WorkStateContent content = WorkStateContent::Of(board);
    content.headerNotes = SnapshotNotes(generation, board.Marks());
    // Every name is a line of the snapshot, a line break and all.
    content.escaped = true;
    if (WriteWorkStateFile(content, files.SnapshotPath()) != SaveResult::Saved)
        return nullptr;
    const int fd = OpenJournal(files.JournalPath(generation));
    if (fd < 0)
        return nullptr;
    SyncFolder(files.folder());
    for (int stale : files.JournalGenerations()) {
        if (stale != generation)
            ::unlink(files.JournalPath(stale).c_str());
    }
    std::unique_ptr<RecoveryJournal> journal(new RecoveryJournal(files, fd, generation));
    for (ListIndex list = 0; list < kListCount; ++list) {
        for (const FilePath& path : *content.lists[static_cast<std::size_t>(list)])
            journal->Count(ListChange::Kind::Insert, list, path.size());
    }
    return journal;
}

RecoveryJournal::RecoveryJournal(const RecoveryFiles& files, int fd, int generation)
    : files_(files), fd_(fd), generation_(generation), syncFd_(fd) {
    worker_ = std::thread([this] { Work(); });
}

RecoveryJournal::~RecoveryJournal() {
    StopWorker();
    if (fd_ >= 0)
        ::close(fd_);
    if (oldFdUnsynced_ >= 0)
        ::close(oldFdUnsynced_);
}

void RecoveryJournal::Count(ListChange::Kind kind, ListIndex list, std::size_t pathBytes) {
    if (list < 0 || list >= kListCount)
        return;
    std::size_t& bytes = listBytes_[static_cast<std::size_t>(list)];
    constexpr std::size_t kLineEnd = 2;
    if (kind == ListChange::Kind::Insert)
        bytes += pathBytes + kLineEnd;
    else if (kind == ListChange::Kind::Remove)
        bytes -= std::min(bytes, pathBytes + kLineEnd);
    else if (kind == ListChange::Kind::Clear)
        bytes = 0;
}

void RecoveryJournal::Record(const ListChange& change) {
    Count(change.kind, change.list, change.path.size());
    if (change.kind == ListChange::Kind::FileRunEnd) {
        const std::lock_guard lock(mutex_);
        if (std::exchange(doneOwed_, false) && !failed_)
            journal_record::AppendUnsealed(ListChange::Kind::FileDone, 0, 0, {}, pending_);
        fileRunOpen_ = false;
    }
    if (!failed_)
        journal_record::AppendUnsealed(change.kind, change.list, change.index, change.path, pending_);
}

void RecoveryJournal::RecordInsert(ListIndex list, int index, std::string_view path) {
    Count(ListChange::Kind::Insert, list, path.size());
    if (!failed_)
        journal_record::AppendUnsealed(ListChange::Kind::Insert, list, index, path, pending_);
}

void RecoveryJournal::RecordInsertRun(ListIndex list, int first, const FilePathList& paths) {
    if (!failed_)
        RecordPrepared(list, PrepareInsertRun(list, first, paths));
}

std::vector<std::string> RecoveryJournal::PrepareInsertRun(ListIndex list, int first, const FilePathList& paths) const {
    return EncodeRun(ListChange::Kind::Insert, list, first, paths);
}

void RecoveryJournal::RecordPrepared(ListIndex list, std::vector<std::string>&& records) {
    for (const std::string& piece : records) {
        // A few bytes a record more than the paths' own: near enough for when to take a snapshot.
        Count(ListChange::Kind::Insert, list, piece.size());
    }
    if (!failed_)
        KeepPieces(std::move(records));
}

void RecoveryJournal::RecordRemoveRun(ListIndex list, int first, const FilePathList& paths) {
    for (const FilePath& path : paths)
        Count(ListChange::Kind::Remove, list, path.size());
    if (!failed_)
        KeepPieces(EncodeRun(ListChange::Kind::Remove, list, first, paths));
}

void RecoveryJournal::KeepPieces(std::vector<std::string>&& records) {
    // Kept as they came, in order after what was recorded before: a million records are not copied.
    if (!pending_.empty())
        prepared_.push_back(std::exchange(pending_, {}));
    std::move(records.begin(), records.end(), std::back_inserter(prepared_));
}

void RecoveryJournal::Commit() {
    if (prepared_.empty() && pending_.empty())
        return;
    // Sealed with the rest: a command whose end did not reach the disk is replayed as none.
    journal_record::AppendUnsealed(ListChange::Kind::CommandEnd, 0, 0, {}, pending_);
    std::vector<std::string> chunks = std::exchange(prepared_, {});
    chunks.push_back(std::exchange(pending_, {}));
    std::size_t bytes = 0;
    for (const std::string& chunk : chunks)
        bytes += chunk.size();
    if (bytes == 0 || failed_)
        return;
    journalBytes_ += bytes;
    bool snapshotDue = false;
    {
        std::unique_lock lock(mutex_);
        failed_ = writeFailed_;
        if (bytes > kMostWrittenHere || writesLeft_ > 0) {
            ++writesLeft_;
            writes_.push_back({fd_, std::move(chunks)});
            wake_.notify_one();
            // A command is done once the kernel holds it: the next key must not find it still on
            // its way, or a kill then would take back commands the user saw finished.
            idle_.wait(lock, [this] { return writesLeft_ == 0; });
            failed_ = failed_ || writeFailed_;
        } else {
            lock.unlock();
            // Written before the next key is handled: the kernel holds it even if the program is
            // killed the next moment.
            for (std::string& chunk : chunks) {
                journal_record::Seal(chunk);
                failed_ = failed_ || !WriteRecords(fd_, chunk);
            }
            lock.lock();
            // A file run's records never follow a gap in the commands.
            writeFailed_ = writeFailed_ || failed_;
        }
        unsynced_ = true;
        std::size_t listsBytes = 0;
        for (std::size_t bytes : listBytes_)
            listsBytes += bytes;
        snapshotDue =
            !writingSnapshot_ && !fileRunOpen_ && journalBytes_ >= std::max(leastBeforeSnapshot_, 2 * listsBytes);
    }
    if (snapshotDue && !failed_)
        StartSnapshot();
}

void RecoveryJournal::StartSnapshot() {
    const int newGeneration = generation_ + 1;
    const int fd = OpenJournal(files_.JournalPath(newGeneration));
    if (fd < 0)
        return; // the journal goes on growing; nothing is lost
    // The worker rebuilds the lists from the files written so far: nothing of the board is copied
    // here, however long its lists are.
    auto job = std::make_unique<SnapshotJob>();
    job->generation = newGeneration;
    job->oldFd = fd_;
    {
        const std::lock_guard lock(mutex_);
        job_ = std::move(job);
        writingSnapshot_ = true;
        syncFd_ = fd;
        fd_ = fd;
        folderUnsynced_ = true;
        if (oldFdUnsynced_ >= 0)
            ::close(oldFdUnsynced_);
        oldFdUnsynced_ = ::dup(job_->oldFd);
    }
    wake_.notify_one();
    generation_ = newGeneration;
    journalBytes_ = 0;
}

void RecoveryJournal::Work() {
    std::unique_lock lock(mutex_);
    auto lastSync = std::chrono::steady_clock::now();
    for (;;) {
        wake_.wait_for(lock, kSyncInterval, [this] { return stop_ || job_ != nullptr || !writes_.empty(); });
        // Records first: a snapshot job comes after the records of the journal it closes.
        if (!writes_.empty()) {
            QueuedWrite write = std::move(writes_.front());
            writes_.pop_front();
            lock.unlock();
            const bool written = WriteQueued(write);
            lock.lock();
            writeFailed_ = writeFailed_ || !written;
            --writesLeft_;
            unsynced_ = true;
            idle_.notify_all();
            continue;
        }
        if (job_) {
            std::unique_ptr<SnapshotJob> job = std::move(job_);
            lock.unlock();
            WriteSnapshot(*job);
            lock.lock();
            writingSnapshot_ = false;
            idle_.notify_all();
            continue;
        }
        const auto now = std::chrono::steady_clock::now();
        if (unsynced_ && (stop_ || now - lastSync >= kSyncInterval)) {
            unsynced_ = false;
            const int fd = syncFd_;
            lock.unlock();
            ::fdatasync(fd);
            lock.lock();
            lastSync = now;
        }
        if (stop_)
            return;
    }
}

bool RecoveryJournal::WriteQueued(QueuedWrite& write) {
    bool written = true;
    for (std::string& chunk : write.records) {
        journal_record::Seal(chunk);
        written = written && WriteRecords(write.fd, chunk);
        chunk = {};
    }
    return written;
}

void RecoveryJournal::WriteSnapshot(SnapshotJob& job) {
    ::fdatasync(job.oldFd);
    // The lists are rebuilt as places in the files and their paths read back from there as they
    // are written: a board of a million paths is not held a second time.
    const PlacedReading reading = ReadRecoveryPlaces(files_, job.generation - 1);
    PlacedPaths paths(reading);
    WorkStateContent content;
    content.headerNotes = SnapshotNotes(job.generation, reading.board.marks);
    content.escaped = true;
    content.entries = [&](ListIndex list, const std::function<void(std::string_view)>& line) {
        for (const PathPlace& place : reading.board.List(list)) {
            const std::optional<std::string_view> path = paths.At(place);
            if (!path)
                return false;
            line(*path);
        }
        return true;
    };
    if (reading.outcome == PlacedReading::Outcome::Readable &&
        WriteWorkStateFile(content, files_.SnapshotPath()) == SaveResult::Saved) {
        SyncFolder(files_.folder());
        ::close(job.oldFd);
        for (int generation : files_.JournalGenerations()) {
            if (generation < job.generation)
                ::unlink(files_.JournalPath(generation).c_str());
        }
        return;
    }
    // Without a new snapshot the old journal stays a link of the chain.
    ::close(job.oldFd);
}

bool RecoveryJournal::WriteRecords(int fd, std::string_view records) {
    const std::lock_guard lock(writeMutex_);
    return WriteAll(fd, records);
}

void RecoveryJournal::FileIntent(FileFate fate, ListIndex list, int index, std::string_view path) {
    WriteFileRecord(fate == FileFate::Leaves ? ListChange::Kind::FileLeaves : ListChange::Kind::FileReturns, list,
                    index, path);
}

void RecoveryJournal::ScratchIntent(std::string_view path) {
    WriteFileRecord(ListChange::Kind::Scratch, kUnclassified, 0, path);
}

void RecoveryJournal::WriteFileRecord(ListChange::Kind kind, ListIndex list, int index, std::string_view path) {
    std::string records;
    std::unique_lock lock(mutex_);
    if (writeFailed_ || fd_ < 0)
        return;
    // After every command queued before it, so that the replay meets the run where it began.
    idle_.wait(lock, [this] { return writesLeft_ == 0; });
    if (std::exchange(doneOwed_, false))
        journal_record::AppendUnsealed(ListChange::Kind::FileDone, 0, 0, {}, records);
    journal_record::AppendUnsealed(kind, list, index, path, records);
    journal_record::Seal(records);
    fileRunOpen_ = true;
    unsynced_ = true;
    // Under the lock: a snapshot cannot start and change the journal meanwhile.
    writeFailed_ = !WriteRecords(fd_, records) || writeFailed_;
}

void RecoveryJournal::FileDone() {
    const std::lock_guard lock(mutex_);
    doneOwed_ = true;
}

void RecoveryJournal::Sync() {
    if (fd_ < 0)
        return;
    int oldFd = -1;
    bool folder = false;
    {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return writesLeft_ == 0; });
        oldFd = std::exchange(oldFdUnsynced_, -1);
        folder = std::exchange(folderUnsynced_, false);
    }
    // The commands of the journal a snapshot is closing, and the name of the new one, are as much
    // a part of the lists as the newest records.
    if (oldFd >= 0) {
        ::fdatasync(oldFd);
        ::close(oldFd);
    }
    if (folder)
        SyncFolder(files_.folder());
    ::fdatasync(fd_);
    const std::lock_guard lock(mutex_);
    unsynced_ = false;
}

void RecoveryJournal::WaitForSnapshot() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !writingSnapshot_ && writesLeft_ == 0; });
}

void RecoveryJournal::StopWorker() {
    if (!worker_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void RecoveryJournal::Finish() {
    StopWorker();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    failed_ = true;
    files_.RemoveAll();
}

} // namespace pelldrake
