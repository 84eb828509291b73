#include "tools/file_list_moves.h"

#include <algorithm>
#include <functional>

namespace pelldrake {

void MoveEntries(Board& board, ListIndex from, int target, std::vector<int> positions, ChangedLists& changed) {
    ClassList& source = board.List(from);
    changed[static_cast<std::size_t>(from)] = true;
    std::sort(positions.begin(), positions.end(), std::greater<>());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (int position : positions) {
        if (position < 0 || position >= source.Count())
            continue;
        if (target != kDropFromBoard) {
            // Copied first: when target is the source, the append may move the entries.
            board.List(target).Append(FilePath(source.At(position)), source.IdentityAt(position));
            changed[static_cast<std::size_t>(target)] = true;
        }
        source.RemoveAt(position);
    }
}

} // namespace pelldrake
