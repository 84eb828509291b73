#pragma once

#include "core/types.h"
#include "state/recovered_board.h"

#include <QDateTime>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelldrake {

// The files one running copy keeps in a folder so that a crash never takes its lists: the lists
// as they stood (a work-state file that the load command also reads), the journal of the changes
// since then, by generation, and a lock held for as long as the copy runs.
class RecoveryFiles {
public:
    static constexpr int kMostSlots = 16;
    // Recovered copies kept beside the files; older ones go to the trash.
    static constexpr int kKeptCopies = 10;

    // The first set of files in the folder that no running copy holds, the folder made if needed;
    // null when the folder cannot be made or locked.
    static std::unique_ptr<RecoveryFiles> Claim(const FilePath& folder);
    // Every other set of files in the folder that no running copy holds and that is there: what
    // copies killed earlier left. Each is held until it goes, so that a copy starting meanwhile
    // neither offers it too nor takes its place.
    static std::vector<std::unique_ptr<RecoveryFiles>> ClaimLeftBehind(const FilePath& folder,
                                                                       const RecoveryFiles& own);
    ~RecoveryFiles();
    RecoveryFiles(const RecoveryFiles&) = delete;
    RecoveryFiles& operator=(const RecoveryFiles&) = delete;

    const FilePath& folder() const { return folder_; }
    FilePath SnapshotPath() const;
    FilePath JournalPath(int generation) const;
    // The generations of the journals present, ascending.
    std::vector<int> JournalGenerations() const;
    bool Present() const;
    // When the newest of the files was last written, as seconds and nanoseconds: which work is
    // the latest. Zero without files.
    std::pair<std::int64_t, std::int64_t> LastWritten() const;
    // The snapshot and every journal go (a normal end); the lock stays held. The newest journal
    // goes first and the snapshot last: stopped half-way, what is left still replays to a whole
    // board as it once stood, never to later changes on an empty one.
    // remove is told each file in that order and returns false to stop (a test's kill).
    void RemoveAll(const std::function<bool(const FilePath&)>& remove = RemoveFile) const;
    static bool RemoveFile(const FilePath& path);

    // Keeps the lists as "pelldrake-recovered-YYYYMMDD-HHMMSS.PLD" in the folder, then removes the
    // files; the kept copies beyond the newest few go to the trash. Empty when it could not be
    // written, in which case the files stay.
    FilePath KeepRecovered(const RecoveredBoard& board, const QDateTime& now) const;
    // Moves files that could not be read aside under the same kind of name; they are never removed.
    // The names they now have, the snapshot's first. One that could not be moved stays (Present).
    FilePathList KeepUnreadable(const QDateTime& now) const;

    // Of the names of the kept copies in a folder, those beyond the newest kKeptCopies, oldest
    // first: by the time in the name, then by the number a second copy of the same second got.
    static FilePathList KeptCopiesBeyondTheNewest(FilePathList names);

private:
    RecoveryFiles(FilePath folder, std::string base, int lockFd);
    FilePath FreeKeptName(const QDateTime& now, const char* suffix) const;
    void TrashOldCopies() const;

    FilePath folder_;
    std::string base_;
    int lockFd_;
};

enum class RecoveryOutcome { Nothing, Readable, Unreadable };

// What the recovery files of a copy that no longer runs say.
template <typename Entry> struct BasicRecoveryReading {
    using Outcome = RecoveryOutcome;
    Outcome outcome = Outcome::Nothing;
    BasicRecoveredBoard<Entry> board;
    // The newest generation found; a new journal starts after it.
    int generation = 0;
    // The files read, by the number a PathPlace gives them.
    std::vector<FilePath> files;
    // Where the last whole command of each file read ends.
    std::vector<std::uint64_t> commandsEnd;
    // The snapshot's lines are escaped (work_state::kEscapedNote), its places those of escaped paths.
    bool snapshotEscaped = false;
};
using RecoveryReading = BasicRecoveryReading<FilePath>;
using PlacedReading = BasicRecoveryReading<PathPlace>;

// Journals after lastGeneration are left out: they may still be written.
RecoveryReading ReadRecovery(const RecoveryFiles& files, int lastGeneration = std::numeric_limits<int>::max());
// The same with each path left where it stands in the files, for a snapshot written from them.
PlacedReading ReadRecoveryPlaces(const RecoveryFiles& files, int lastGeneration);

// The header lines of a snapshot: generation, positions, the list Backspace returns from.
std::vector<std::string> SnapshotNotes(int generation, const BoardMarks& marks);

} // namespace pelldrake
