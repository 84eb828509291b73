#include "disposal/dispose_command.h"

#include "resources/control_ids.h"
#include "resources/menu_table.h"

#include <array>

namespace pelldrake {

namespace {

struct Range {
    int first;
    DisposePreset preset;
};

constexpr std::array<Range, 5> kRanges{{
    {ids::Dispose(0), DisposePreset::None},
    {menu_ids::kMoveToFolderFirst, DisposePreset::MoveFiles},
    {menu_ids::kMoveToListFirst, DisposePreset::MoveEntries},
    {menu_ids::kToClipboardFirst, DisposePreset::Clipboard},
    {menu_ids::kDeleteFirst, DisposePreset::DeleteFiles},
}};

} // namespace

std::optional<DisposeCommand> DisposeCommandFor(int id) {
    for (const Range& range : kRanges) {
        if (id >= range.first && id < range.first + kListCount)
            return DisposeCommand{id - range.first, range.preset};
    }
    return std::nullopt;
}

} // namespace pelldrake
