#pragma once

#include "core/types.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pelldrake {

class Board;

enum class SaveResult { Saved, CannotOpen, WriteFailed };

// A path with a line feed or carriage return in its name cannot be one line of the file: it would
// split into two lines, and the second could even read back as an end or section mark.
bool IsRecordable(std::string_view path);

// The entries of all lists that IsRecordable refuses, in list order.
FilePathList UnrecordableEntries(const Board& board);
bool AllRecordable(const std::array<const FilePathList*, kListCount>& lists);

// What a work-state file holds: the eleven lists, and header lines that a reader passes over.
struct WorkStateContent {
    std::array<const FilePathList*, kListCount> lists{};
    std::vector<std::string> headerNotes;
    // Instead of lists, where the paths are not held in memory: gives the list's entries in order
    // to line, each one recordable unless escaped; false abandons the file, which then is not written.
    std::function<bool(ListIndex list, const std::function<void(std::string_view)>& line)> entries;
    // The data lines escaped, under the header note that says so (work_state::kEscapedNote): every
    // entry is written, whatever its name holds. For the recovery files; the user's own saves stay
    // in the plain form, which any reader of work states reads.
    bool escaped = false;

    static WorkStateContent Of(const Board& board);
};

// Writes all eleven lists to the file, leaving out the entries IsRecordable refuses unless the
// content is escaped. The data goes
// to a temporary file beside the target, is flushed to disk and only then renamed over the target,
// so a failed save leaves the previous file as it was and no partial file under its name. Where
// the folder allows no new file, an existing file is rewritten in place instead. A replaced file
// keeps its permission bits.
SaveResult WriteWorkStateFile(const Board& board, const FilePath& path);
SaveResult WriteWorkStateFile(const WorkStateContent& content, const FilePath& path);

} // namespace pelldrake
