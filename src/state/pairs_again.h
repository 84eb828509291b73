#pragma once

#include "board/entry_batch.h"
#include "core/types.h"

#include <array>

namespace pelldrake {

// A work-state or recovery file names the entries, not their pairs: each JPEG entry is paired
// again when its folder holds a camera raw file of its base name that is no entry of any list.
void FindPairsAgain(std::array<EntryBatch, kListCount>& lists);

} // namespace pelldrake
