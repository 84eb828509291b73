#pragma once

#include "board/entry_batch.h"
#include "core/types.h"

#include <array>
#include <functional>
#include <string_view>

namespace pelldrake {

class Board;

// What to do with a listed path that is not an existing file.
enum class MissingFileAnswer {
    Skip,              // leave it out and go on
    SkipAndStopAsking, // leave out this and every later missing path without asking
    Stop,              // stop reading; the lists keep what was read so far
};

enum class LoadResult {
    Loaded,       // read to its end mark or to the end of the file, or stopped by the user
    CannotOpen,   // board unchanged
    NotWorkState, // the first line is not the magic line; board unchanged
    ReadError,    // the lists hold what was read before the error; unchanged when it came in the header
};

struct LoadCallbacks {
    // Asked for each listed path that does not exist, is not a regular file or cannot be a path
    // at all (a NUL byte, longer than the reader keeps), while missing paths are being reported.
    std::function<MissingFileAnswer(std::string_view line)> askMissing;
    // Asked every few thousand lines with the bytes read and the file's size; false stops reading
    // as the Stop answer does. May be empty.
    std::function<bool(std::size_t done, std::size_t total)> keepGoing;
};

// What a work-state file holds, read without touching the board, so that the reading (a stat for
// every path) may run on another thread while the window goes on answering.
struct WorkStateRead {
    LoadResult result = LoadResult::CannotOpen;
    // False while the board must stay as it was: the file could not be opened, is no work state,
    // or could not be read through to its header's end.
    bool replacesLists = false;
    std::array<EntryBatch, kListCount> lists;
};
WorkStateRead ReadWorkState(const FilePath& path, const LoadCallbacks& callbacks);
// Replaces all eleven lists by what was read, in one step; each list shows its first entry.
void PutOnBoard(Board& board, WorkStateRead&& read);

// Both, on this thread. Replaces all eleven lists by the file's contents. Each path is added once, to the list of the
// first section that names it; two names of one file (a link, "./", a doubled "/") count as one,
// as the key is the file's identity. Every list ends its bulk update and shows its first entry on
// every way out after the lists were cleared. With findPairs, the JPEG entries are paired again
// (FindPairsAgain).
LoadResult ReadWorkStateFile(Board& board, const FilePath& path, const LoadCallbacks& callbacks,
                             bool findPairs = false);

} // namespace pelldrake
