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

// The data part, after the header.
LoadResult ReadSections(std::array<EntryBatch, kListCount>& lists, LineReader& reader, const LoadCallbacks& callbacks) {
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
        if (loaded.insert(*identity).second)
            lists[static_cast<std::size_t>(*section)].push_back(FilePath(line), *identity);
    }
}

LoadResult ReadInto(std::array<EntryBatch, kListCount>& lists, const FilePath& path, const LoadCallbacks& callbacks,
                    bool& replacesLists) {
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

    replacesLists = true;
    if (status == LineReader::Status::End)
        return LoadResult::Loaded;
    return ReadSections(lists, reader, callbacks);
}

} // namespace

WorkStateRead ReadWorkState(const FilePath& path, const LoadCallbacks& callbacks) {
    WorkStateRead read;
    read.result = ReadInto(read.lists, path, callbacks, read.replacesLists);
    // The lists keep this memory for as long as they hold the entries.
    for (EntryBatch& list : read.lists) {
        list.paths.shrink_to_fit();
        list.identities.shrink_to_fit();
    }
    return read;
}

void PutOnBoard(Board& board, WorkStateRead&& read) {
    if (!read.replacesLists)
        return;
    moves::ClearAll(board);
    for (ListIndex list = 0; list < kListCount; ++list)
        board.AppendAndShow(list, std::move(read.lists[static_cast<std::size_t>(list)]), 0);
}

LoadResult ReadWorkStateFile(Board& board, const FilePath& path, const LoadCallbacks& callbacks) {
    WorkStateRead read = ReadWorkState(path, callbacks);
    const LoadResult result = read.result;
    PutOnBoard(board, std::move(read));
    return result;
}

} // namespace pelldrake
