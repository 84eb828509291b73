#include "state/work_state_reader.h"

#include "board/board.h"
#include "board/moves.h"
#include "platform/file_info.h"
#include "platform/parallel_for.h"
#include "state/line_reader.h"
#include "state/pairs_again.h"
#include "state/work_state_format.h"

#include <algorithm>
#include <memory>
#include <memory_resource>
#include <optional>
#include <sys/stat.h>
#include <unordered_set>
#include <vector>

namespace pelldrake {

namespace {

// Lines are read a block at a time, their files examined together, then taken in order.
constexpr std::size_t kBlockLines = 4096;
constexpr std::size_t kTypicalLineBytes = 48;
constexpr std::size_t kMostReserved = 1 << 20;

// A line of a section, read ahead of the look at its file.
struct ListedPath {
    FilePath line;
    int section = 0;
    // False for a line no file can have as its name: cut short by the reader, or holding a NUL.
    bool nameable = false;
    // The regular file the line names, if any.
    std::optional<FileIdentity> identity;
};

// Reads a block's count of lines, keeping those of sections. Returns how reading ended when it did.
// Of a file whose header says its lines are escaped, each path line is unescaped.
std::optional<LoadResult> ReadBlock(LineReader& reader, bool escaped, std::optional<int>& section,
                                    std::vector<ListedPath>& block) {
    block.clear();
    // Lines outside any list count too: a file of nothing else still shows progress and stops.
    for (std::size_t lines = 0; lines < kBlockLines; ++lines) {
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
        block.push_back({escaped ? work_state::Unescaped(line) : FilePath(line), *section,
                         !reader.truncated() && line.find('\0') == std::string_view::npos, std::nullopt});
    }
    return std::nullopt;
}

void ExamineBlock(std::vector<ListedPath>& block) {
    ParallelFor(block.size(), [&block](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            ListedPath& listed = block[i];
            if (!listed.nameable)
                continue;
            if (const auto info = StatPath(listed.line); info && info->IsRegular())
                listed.identity = info->identity();
        }
    });
}

// The data part, after the header.
LoadResult ReadSections(std::array<EntryBatch, kListCount>& lists, LineReader& reader, bool escaped,
                        const LoadCallbacks& callbacks) {
    std::pmr::monotonic_buffer_resource nodes;
    std::pmr::unordered_set<FileIdentity, FileIdentityHash> loaded(&nodes);
    // Sized for lines of typical length up front, with a ceiling a hostile size cannot raise.
    loaded.reserve(std::min<std::size_t>(reader.fileSize() / kTypicalLineBytes, kMostReserved));
    std::optional<int> section;
    bool reportMissing = true;
    std::vector<ListedPath> block;
    block.reserve(kBlockLines);
    for (bool first = true;; first = false) {
        // Not before the first block: a small file shows no progress at all.
        if (!first && callbacks.keepGoing && !callbacks.keepGoing(reader.consumed(), reader.fileSize()))
            return LoadResult::Loaded;
        const std::optional<LoadResult> ended = ReadBlock(reader, escaped, section, block);
        ExamineBlock(block);
        for (ListedPath& listed : block) {
            if (!listed.identity) {
                if (!reportMissing || !callbacks.askMissing)
                    continue;
                const MissingFileAnswer answer = callbacks.askMissing(listed.line);
                if (answer == MissingFileAnswer::Stop)
                    return LoadResult::Loaded;
                if (answer == MissingFileAnswer::SkipAndStopAsking)
                    reportMissing = false;
                continue;
            }
            if (loaded.insert(*listed.identity).second)
                lists[static_cast<std::size_t>(listed.section)].push_back(std::move(listed.line), *listed.identity);
        }
        if (ended)
            return *ended;
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
    bool escaped = false;
    for (;;) {
        status = reader.Next();
        if (status != LineReader::Status::Line || reader.line() == work_state::kEndMark)
            break;
        escaped = escaped || reader.line() == work_state::kEscapedNote;
    }

    // Nothing is cleared while the file could still turn out unreadable.
    if (status == LineReader::Status::Error)
        return LoadResult::ReadError;

    replacesLists = true;
    if (status == LineReader::Status::End)
        return LoadResult::Loaded;
    return ReadSections(lists, reader, escaped, callbacks);
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

LoadResult ReadWorkStateFile(Board& board, const FilePath& path, const LoadCallbacks& callbacks, bool findPairs) {
    WorkStateRead read = ReadWorkState(path, callbacks);
    if (findPairs)
        FindPairsAgain(read.lists);
    const LoadResult result = read.result;
    PutOnBoard(board, std::move(read));
    return result;
}

} // namespace pelldrake
