#pragma once

#include "board/entry_batch.h"
#include "core/types.h"

#include <array>

namespace pelldrake {

class Board;

// A work-state or recovery file names the entries, not their pairs: each JPEG entry is paired
// again when its folder holds a camera raw file of its base name that is no entry of any list, nor
// of the board's lists when they are to be joined.
void FindPairsAgain(std::array<EntryBatch, kListCount>& lists, const Board* joined = nullptr);

} // namespace pelldrake
