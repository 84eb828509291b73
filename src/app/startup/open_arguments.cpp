#include "app/startup/open_arguments.h"

#include "board/ui/classify_board_dialog.h"
#include "intake/ui/intake_commands.h"
#include "state/ui/work_state_menu.h"

namespace pelldrake {

void OpenArguments(ClassifyBoardDialog& board, const CommandLine& commandLine) {
    // The load and the intake are two steps to take back, as two commands would be.
    if (!commandLine.workStates.empty()) {
        const BoardHistory::Scope step(board.board().history());
        LoadWorkStateFileWithProgress(board.commandContext(), commandLine.workStates.front());
    }
    if (!commandLine.intake.empty()) {
        const BoardHistory::Scope step(board.board().history());
        board.intake().TakeIn(commandLine.intake);
    }
}

} // namespace pelldrake
