#include "tools/ui/file_list_command.h"

#include "board/board.h"
#include "board/command_table.h"
#include "resources/control_ids.h"
#include "tools/ui/file_list_dialog.h"

namespace pelldrake {

void RegisterFileListCommand(CommandTable& commands, Board& board, QWidget* dialogParent) {
    // The button and the menu entry share the id.
    commands.Add(ids::kListButton, [&board, dialogParent](int) { RunFileListWindow(board, dialogParent); });
}

void RunFileListWindow(Board& board, QWidget* dialogParent) {
    ChangedLists changed{};
    {
        FileListDialog dialog(board, dialogParent);
        dialog.exec();
        changed = dialog.listChanged();
    }
    // Lists the window did not touch keep their positions.
    for (ListIndex list = 0; list < kListCount; ++list) {
        if (!changed[static_cast<std::size_t>(list)])
            continue;
        board.List(list).UpdateControls();
        board.ResyncPane(list, 0);
    }
}

} // namespace pelldrake
