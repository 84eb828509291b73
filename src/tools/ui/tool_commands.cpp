#include "tools/ui/tool_commands.h"

#include "board/command_table.h"
#include "platform/busy_cursor.h"
#include "resources/menu_table.h"
#include "tools/auto_classify.h"
#include "tools/ui/auto_classify_dialog.h"

namespace pelldrake {

void RegisterToolCommands(CommandTable& commands, const CommandContext& context) {
    // A child of the board window, so it goes with it; its dates count from this moment.
    auto* classify =
        new AutoClassifyDialog(ClassifyConditions::StartingAt(QDateTime::currentDateTime()), context.dialogParent);
    commands.Add(menu_ids::kAutoClassify, [classify, &board = context.board](int) {
        if (!classify->Run())
            return;
        const BusyCursor busy;
        RunAutoClassify(board, classify->conditions());
    });
}

} // namespace pelldrake
