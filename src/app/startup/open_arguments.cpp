#include "app/startup/open_arguments.h"

#include "board/ui/classify_board_dialog.h"
#include "intake/ui/intake_commands.h"
#include "platform/file_info.h"

#include <QtGlobal>

namespace pelldrake {

namespace {

// The one place a work-state file from the command line goes. Until the work-state load can be
// given a path, the file is named on stderr and left alone.
void LoadWorkStateArgument(ClassifyBoardDialog& board, const FilePath& path) {
    Q_UNUSED(board);
    qWarning("pelldrake: cannot load the work-state file %s: this build has no work-state load",
             PathToQString(path).toLocal8Bit().constData());
}

} // namespace

void OpenArguments(ClassifyBoardDialog& board, const CommandLine& commandLine) {
    if (!commandLine.workStates.empty())
        LoadWorkStateArgument(board, commandLine.workStates.front());
    if (!commandLine.intake.empty())
        board.intake().TakeIn(commandLine.intake);
}

} // namespace pelldrake
