#pragma once

#include "app/command_line.h"

namespace pelldrake {

class ClassifyBoardDialog;

// What the command line names, once the board is on screen: the work-state file first, as the
// load command would read it, then the files and folders as a drop on the unclassified list.
void OpenArguments(ClassifyBoardDialog& board, const CommandLine& commandLine);

} // namespace pelldrake
