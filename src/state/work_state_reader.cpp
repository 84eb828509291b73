#include "state/work_state_reader.h"

#include "board/board.h"
#include "board/moves.h"
#include "platform/file_info.h"
#include "state/line_reader.h"
#include "state/work_state_format.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unordered_set>

namespace pelldrake {

namespace {

constexpr int kLinesPerProgressCheck = 4096;
constexpr std::size_t kTypicalLineBytes = 48;
constexpr std::size_t kMostReserved = 1 << 20;

// The identity of a regular file named by the line, or nothing when the line names none.
std::optional<FileIdentity> RegularFileAt(const LineReader& reader) {
    const std::string_view line = reader.line();
    if (reader.truncated() || line.find('\0') != std::string_view::npos)
        return std::nullopt;
    const auto info = StatPath(reader.lineCString());
    if (!info || !info->IsRegular())
        return std::nullopt;
    return info->identity();
}

// Ends the bulk update of every list and shows each from its first entry, however reading ended.
class BulkLoad {
public:
    explicit BulkLoad(Board& board) : board_(board) {
        for (ListIndex list = 0; list < kListCount; ++list)
            board_.List(list).BeginBulkUpdate();
    }
    ~BulkLoad() {
        for (ListIndex list = 0; list < kListCount; ++list) {
            board_.List(list).EndBulkUpdate();
            board_.ResyncPane(list);
        }
    }
    BulkLoad(const BulkLoad&) = delete;
    BulkLoad& operator=(const BulkLoad&) = delete;

private:
    Board& board_;
};

// The data part, after the header; the lists are cleared and in their bulk update.
LoadResult ReadSections(Board& board, LineReader& reader, const LoadCallbacks& callbacks) {
    std::unordered_set<FileIdentity, FileIdentityHash> loaded;
    // Sized for lines of typical length up front, with a ceiling a hostile size cannot raise.
    loaded.reserve(std::min<std::size_t>(reader.fileSize() / kTypicalLineBytes, kMostReserved));
    std::optional<int> section;
    bool reportMissing = true;
    int untilProgressCheck = kLinesPerProgressCheck;
    for (;;) {
        if (--untilProgressCheck == 0) {
            untilProgressCheck = kLinesPerProgressCheck;
            if (callbacks.keepGoing && !callbacks.keepGoing(reader.consumed(), reader.fileSize()))
                return LoadResult::Loaded;
        }
        const LineReader::Status status = reader.Next();
        if (status == LineReader::Status::End)
            return LoadResult::Loaded;
        if (status == LineReader::Status::Error)
            return LoadResult::ReadError;
        const std::string_view line = reader.line();
        if (line == work_state::kEndMark)
            return LoadResult::Loaded;
        if (work_state::EqualsMarkIgnoringCase(line, work_state::kSectionMark)) {
            const LineReader::Status numberStatus = reader.Next();
            if (numberStatus == LineReader::Status::Error)
                return LoadResult::ReadError;
            // A mark on the last line leaves the section as an empty line would: number 0.
            section = work_state::ParseSectionNumber(numberStatus == LineReader::Status::Line ? reader.line() : "");
            continue;
        }
        if (!section || *section < 0 || *section >= kListCount)
            continue;
        const std::optional<FileIdentity> identity = RegularFileAt(reader);
        if (!identity) {
            if (!reportMissing || !callbacks.askMissing)
                continue;
            const MissingFileAnswer answer = callbacks.askMissing(line);
            if (answer == MissingFileAnswer::Stop)
                return LoadResult::Loaded;
            if (answer == MissingFileAnswer::SkipAndStopAsking)
                reportMissing = false;
            continue;
        }
        if (loaded.insert(*identity).second) {
            board.List(*section).Append(FilePath(line), *identity);
        }
    }
}

} // namespace

LoadResult ReadWorkStateFile(Board& board, const FilePath& path, const LoadCallbacks& callbacks) {
    LineReader reader;
    if (!reader.Open(path))
        return LoadResult::CannotOpen;
    // An empty file reads as one empty line. A longer first line is refused without reading it
    // through, so a large file without line ends costs no time.
    const LineReader::Status first = reader.NextWithin(work_state::kMagic.size());
    if (first == LineReader::Status::Error)
        return LoadResult::ReadError;
    if (first != LineReader::Status::Line || reader.truncated() ||
        !work_state::EqualsMarkIgnoringCase(reader.line(), work_state::kMagic))
        return LoadResult::NotWorkState;

    LineReader::Status status;
    do {
        status = reader.Next();
    } while (status == LineReader::Status::Line && reader.line() != work_state::kEndMark);

    // Nothing is cleared while the file could still turn out unreadable.
    if (status == LineReader::Status::Error)
        return LoadResult::ReadError;

    moves::ClearAll(board);
    BulkLoad bulk(board);
    if (status == LineReader::Status::End)
        return LoadResult::Loaded;
    return ReadSections(board, reader, callbacks);
}

} // namespace pelldrake
