#include "state/recovery_files.h"

#include "platform/file_info.h"
#include "platform/file_system.h"
#include "state/journal_replay.h"
#include "state/line_reader.h"
#include "state/work_state_format.h"
#include "state/work_state_writer.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pelldrake {

namespace {

constexpr std::string_view kBase = "pelldrake.recovery";
constexpr std::string_view kKeptPrefix = "pelldrake-recovered-";
// "YYYYMMDD-HHMMSS"
constexpr std::size_t kStampLength = 15;
constexpr std::string_view kGenerationNote = "Recovery ";
constexpr std::string_view kPositionsNote = "Positions";
constexpr std::string_view kLastNote = "Last ";
constexpr const char* kJournalSuffix = ".journal";

std::string SlotBase(int slot) {
    return slot == 1 ? std::string(kBase) : std::string(kBase) + "-" + std::to_string(slot);
}

// The lock of a slot, held; -1 when it cannot be opened or another copy holds it. Without create,
// a slot never used (no lock file) is passed over without leaving a lock file behind.
int LockSlot(const FilePath& folder, const std::string& base, bool create) {
    const FilePath lockPath = folder + "/" + base + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
    if (fd < 0)
        return -1;
    // The kernel drops the lock with the process, however it ends: a held lock is a running copy.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    ::close(fd);
    return -1;
}

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The header notes a snapshot carries; false for a note that is there but wrong.
template <typename Entry> bool ReadNote(std::string_view line, BasicRecoveryReading<Entry>& reading) {
    if (line.starts_with(kGenerationNote)) {
        const auto generation = ParseInt(line.substr(kGenerationNote.size()));
        if (!generation || *generation < 0)
            return false;
        reading.generation = *generation;
    } else if (line.starts_with(kLastNote)) {
        const auto last = ParseInt(line.substr(kLastNote.size()));
        if (!last || *last < 0 || *last >= kListCount)
            return false;
        reading.board.marks.lastTouched = *last;
    } else if (line.starts_with(kPositionsNote)) {
        std::string_view rest = line.substr(kPositionsNote.size());
        for (int& position : reading.board.marks.positions) {
            if (!rest.starts_with(' '))
                return false;
            rest.remove_prefix(1);
            const std::size_t end = std::min(rest.find(' '), rest.size());
            const auto value = ParseInt(rest.substr(0, end));
            if (!value || *value < 0)
                return false;
            position = *value;
            rest.remove_prefix(end);
        }
    }
    return true;
}

// The snapshot exactly as written: no look at the disk, so that the journal's places still fit.
template <typename Entry> bool ReadSnapshot(const FilePath& path, BasicRecoveryReading<Entry>& reading) {
    LineReader reader;
    if (!reader.Open(path) || reader.NextWithin(work_state::kMagic.size() + 2) != LineReader::Status::Line ||
        !work_state::EqualsMarkIgnoringCase(reader.line(), work_state::kMagic))
        return false;
    for (;;) {
        if (reader.Next() != LineReader::Status::Line)
            return false;
        if (reader.line() == work_state::kEndMark)
            break;
        reading.snapshotEscaped = reading.snapshotEscaped || reader.line() == work_state::kEscapedNote;
        if (!ReadNote(reader.line(), reading))
            return false;
    }
    std::optional<int> section;
    for (;;) {
        const std::uint64_t lineAt = reader.position();
        const LineReader::Status status = reader.Next();
        if (status != LineReader::Status::Line || reader.truncated())
            return false; // a snapshot is renamed into place whole: anything short of its end mark is damage
        const std::string_view line = reader.line();
        if (line == work_state::kEndMark)
            return true;
        if (work_state::EqualsMarkIgnoringCase(line, work_state::kSectionMark)) {
            if (reader.Next() != LineReader::Status::Line)
                return false;
            section = work_state::ParseSectionNumber(reader.line());
            if (*section < 0 || *section >= kListCount)
                return false;
            continue;
        }
        if (!section)
            return false;
        // A place is where the escaped form stands; PlacedPaths undoes it when it reads it back.
        if (std::same_as<Entry, FilePath> && reading.snapshotEscaped && line.find('\\') != std::string_view::npos)
            reading.board.AddFromSnapshot(*section, work_state::Unescaped(line), lineAt);
        else
            reading.board.AddFromSnapshot(*section, line, lineAt);
    }
}

} // namespace

RecoveryFiles::RecoveryFiles(FilePath folder, std::string base, int lockFd)
    : folder_(std::move(folder)), base_(std::move(base)), lockFd_(lockFd) {}

RecoveryFiles::~RecoveryFiles() {
    ::close(lockFd_);
}

std::unique_ptr<RecoveryFiles> RecoveryFiles::Claim(const FilePath& folder) {
    if (!QDir().mkpath(PathToQString(folder)))
        return nullptr;
    for (int slot = 1; slot <= kMostSlots; ++slot) {
        std::string base = SlotBase(slot);
        if (const int fd = LockSlot(folder, base, true); fd >= 0)
            return std::unique_ptr<RecoveryFiles>(new RecoveryFiles(folder, std::move(base), fd));
    }
    return nullptr;
}

std::vector<std::unique_ptr<RecoveryFiles>> RecoveryFiles::ClaimLeftBehind(const FilePath& folder,
                                                                           const RecoveryFiles& own) {
    std::vector<std::unique_ptr<RecoveryFiles>> left;
    for (int slot = 1; slot <= kMostSlots; ++slot) {
        std::string base = SlotBase(slot);
        if (folder == own.folder_ && base == own.base_)
            continue;
        if (const int fd = LockSlot(folder, base, false); fd >= 0) {
            std::unique_ptr<RecoveryFiles> files(new RecoveryFiles(folder, std::move(base), fd));
            if (files->Present())
                left.push_back(std::move(files));
        }
    }
    return left;
}

FilePath RecoveryFiles::SnapshotPath() const {
    return folder_ + "/" + base_ + ".PLD";
}

FilePath RecoveryFiles::JournalPath(int generation) const {
    return folder_ + "/" + base_ + "." + std::to_string(generation) + kJournalSuffix;
}

std::vector<int> RecoveryFiles::JournalGenerations() const {
    std::vector<int> generations;
    const std::string prefix = base_ + ".";
    for (const FilePath& name : PosixFileSystem().FolderNames(folder_)) {
        if (!name.starts_with(prefix) || !name.ends_with(kJournalSuffix))
            continue;
        const std::string_view middle =
            std::string_view(name).substr(prefix.size(), name.size() - prefix.size() - std::strlen(kJournalSuffix));
        if (const auto generation = ParseInt(middle); generation && *generation >= 0)
            generations.push_back(*generation);
    }
    std::sort(generations.begin(), generations.end());
    return generations;
}

bool RecoveryFiles::Present() const {
    return StatPath(SnapshotPath()).has_value() || !JournalGenerations().empty();
}

std::pair<std::int64_t, std::int64_t> RecoveryFiles::LastWritten() const {
    std::pair<std::int64_t, std::int64_t> newest{0, 0};
    std::vector<FilePath> paths{SnapshotPath()};
    for (int generation : JournalGenerations())
        paths.push_back(JournalPath(generation));
    for (const FilePath& path : paths) {
        if (const auto info = StatPath(path))
            newest = std::max(newest, std::pair(info->modifiedSeconds, info->modifiedNanoseconds));
    }
    return newest;
}

void RecoveryFiles::RemoveAll(const std::function<bool(const FilePath&)>& remove) const {
    const std::vector<int> generations = JournalGenerations();
    for (auto generation = generations.rbegin(); generation != generations.rend(); ++generation) {
        if (!remove(JournalPath(*generation)))
            return;
    }
    remove(SnapshotPath());
}

bool RecoveryFiles::RemoveFile(const FilePath& path) {
    ::unlink(path.c_str());
    return true;
}

FilePath RecoveryFiles::FreeKeptName(const QDateTime& now, const char* suffix) const {
    const std::string stamp = now.toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
    for (int n = 1;; ++n) {
        const std::string unique = n == 1 ? std::string() : "-" + std::to_string(n);
        const FilePath path = folder_ + "/" + std::string(kKeptPrefix) + stamp + unique + suffix + ".PLD";
        if (!PosixFileSystem().NameTaken(path))
            return path;
    }
}

FilePath RecoveryFiles::KeepRecovered(const RecoveredBoard& board, const QDateTime& now) const {
    const FilePath kept = FreeKeptName(now, "");
    WorkStateContent content;
    for (ListIndex list = 0; list < kListCount; ++list)
        content.lists[static_cast<std::size_t>(list)] = &board.List(list);
    // Every entry is kept, a name with a line break too; the plain form where it holds them all.
    content.escaped = !AllRecordable(content.lists);
    if (WriteWorkStateFile(content, kept) != SaveResult::Saved)
        return {};
    RemoveAll();
    TrashOldCopies();
    return kept;
}

FilePathList RecoveryFiles::KeepUnreadable(const QDateTime& now) const {
    const FilePath kept = FreeKeptName(now, "-unreadable");
    FilePathList moved;
    if (StatPath(SnapshotPath())) {
        if (::rename(SnapshotPath().c_str(), kept.c_str()) != 0)
            return moved;
        moved.push_back(kept);
    }
    for (int generation : JournalGenerations()) {
        const FilePath journal = kept + "." + std::to_string(generation) + kJournalSuffix;
        if (::rename(JournalPath(generation).c_str(), journal.c_str()) == 0)
            moved.push_back(journal);
    }
    return moved;
}

void RecoveryFiles::TrashOldCopies() const {
    PosixFileSystem files;
    FilePathList kept;
    for (const FilePath& name : files.FolderNames(folder_)) {
        // The stamp in the name sorts by time; copies that could not be read are never touched.
        if (name.starts_with(kKeptPrefix) && name.ends_with(".PLD") && name.find("-unreadable") == FilePath::npos)
            kept.push_back(name);
    }
    for (const FilePath& name : KeptCopiesBeyondTheNewest(std::move(kept)))
        files.MoveToTrash(folder_ + "/" + name);
}

FilePathList RecoveryFiles::KeptCopiesBeyondTheNewest(FilePathList names) {
    if (names.size() <= static_cast<std::size_t>(kKeptCopies))
        return {};
    // "…-HHMMSS-2.PLD" is newer than "…-HHMMSS.PLD", though '-' sorts before '.'.
    const auto key = [](const FilePath& name) {
        const std::string_view rest = std::string_view(name).substr(kKeptPrefix.size());
        const std::string_view stamp = rest.substr(0, std::min(rest.size(), kStampLength));
        std::string_view after = rest.substr(stamp.size());
        int second = 1;
        if (after.starts_with('-')) {
            const std::size_t end = after.find_first_not_of("0123456789", 1);
            if (const auto number = ParseInt(after.substr(1, end == std::string_view::npos ? end : end - 1)))
                second = *number;
        }
        return std::pair(stamp, second);
    };
    std::sort(names.begin(), names.end(), [&key](const FilePath& a, const FilePath& b) { return key(a) < key(b); });
    names.resize(names.size() - kKeptCopies);
    return names;
}

namespace {

constexpr std::uint64_t kEverything = std::numeric_limits<std::uint64_t>::max();

// commandsUpTo: where the whole commands of each file end, as a first reading found.
template <typename Entry>
void ReadInto(BasicRecoveryReading<Entry>& reading, const RecoveryFiles& files, int lastGeneration,
              const std::vector<std::uint64_t>& commandsUpTo = {}) {
    const std::vector<int> generations = files.JournalGenerations();
    const bool hasSnapshot = StatPath(files.SnapshotPath()).has_value();
    if (!hasSnapshot && generations.empty())
        return;
    reading.outcome = RecoveryReading::Outcome::Unreadable;
    reading.files = {files.SnapshotPath()};
    if (hasSnapshot) {
        if (!ReadSnapshot(files.SnapshotPath(), reading))
            return;
    } else {
        reading.generation = generations.front();
    }
    const int base = reading.generation;
    for (int generation : generations) {
        if (generation < base)
            continue; // already in the snapshot
        if (generation > lastGeneration)
            break;
        bool whole = true;
        reading.files.push_back(files.JournalPath(generation));
        const auto file = static_cast<std::uint32_t>(reading.files.size() - 1);
        const std::uint64_t upTo = file < commandsUpTo.size() ? commandsUpTo[file] : kEverything;
        std::uint64_t end = 0;
        if (!ReplayJournal(reading.files.back(), file, reading.board, whole, upTo, end))
            return;
        reading.commandsEnd.resize(file + 1);
        reading.commandsEnd[file] = end;
        reading.generation = generation;
        // A record cut short is the last one a kill or a power loss interrupted: nothing after it
        // can be trusted to follow from what came before.
        if (!whole)
            break;
    }
    reading.outcome = RecoveryReading::Outcome::Readable;
}

template <typename Entry> BasicRecoveryReading<Entry> Read(const RecoveryFiles& files, int lastGeneration) {
    BasicRecoveryReading<Entry> counted;
    counted.board = BasicRecoveredBoard<Entry>::Counting();
    ReadInto(counted, files, lastGeneration);
    if (counted.outcome != RecoveryReading::Outcome::Readable)
        return counted;
    BasicRecoveryReading<Entry> reading;
    reading.board = BasicRecoveredBoard<Entry>::FilledAfter(counted.board);
    ReadInto(reading, files, lastGeneration, counted.commandsEnd);
    return reading;
}

// Whether name is one of the temporary names a file run gives the file it renames into place, made
// by a process that is gone: nobody else's file, and nobody is still writing it.
bool IsLeftTemporary(std::string_view name) {
    constexpr std::string_view kPrefix = ".pelldrake-";
    constexpr std::string_view kSuffix = ".part";
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix))
        return false;
    const std::string_view middle = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == std::string_view::npos)
        return false;
    int pid = 0;
    const auto [end, error] = std::from_chars(middle.data(), middle.data() + dash, pid);
    if (error != std::errc() || end != middle.data() + dash || pid <= 0 || dash + 1 == middle.size() ||
        middle.substr(dash + 1).find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

void RemoveLeftTemporaries(const std::vector<FilePath>& paths) {
    PosixFileSystem disk;
    for (const FilePath& path : paths) {
        const std::size_t slash = path.find_last_of('/');
        if (!IsLeftTemporary(std::string_view(path).substr(slash == FilePath::npos ? 0 : slash + 1)) ||
            disk.LinkText(path))
            continue;
        const std::optional<FileStatus> status = disk.Status(path);
        if (status && status->isRegular)
            disk.Remove(path);
    }
}

} // namespace

RecoveryReading ReadRecovery(const RecoveryFiles& files, int lastGeneration) {
    RecoveryReading reading = Read<FilePath>(files, lastGeneration);
    // A file run the program did not live to end: the disk says which of its files went.
    RemoveLeftTemporaries(reading.board.ScratchFiles());
    reading.board.SettleFileRun([](const FilePath& path) { return StatPath(path).has_value(); });
    return reading;
}

PlacedReading ReadRecoveryPlaces(const RecoveryFiles& files, int lastGeneration) {
    return Read<PathPlace>(files, lastGeneration);
}

std::vector<std::string> SnapshotNotes(int generation, const BoardMarks& marks) {
    std::string positions(kPositionsNote);
    for (int position : marks.positions)
        positions += " " + std::to_string(position);
    return {std::string(kGenerationNote) + std::to_string(generation), positions,
            std::string(kLastNote) + std::to_string(marks.lastTouched)};
}

} // namespace pelldrake
