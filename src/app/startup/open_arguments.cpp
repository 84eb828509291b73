#include "app/startup/open_arguments.h"

#include "board/ui/classify_board_dialog.h"
#include "intake/ui/intake_commands.h"
#include "state/ui/work_state_menu.h"

namespace pelldrake {

void OpenArguments(ClassifyBoardDialog& board, const CommandLine& commandLine) {
    if (!commandLine.workStates.empty())
        LoadWorkStateFileWithProgress(board.commandContext(), commandLine.workStates.front());
    if (!commandLine.intake.empty())
        board.intake().TakeIn(commandLine.intake);
}

} // namespace pelldrake
