#pragma once

#include "board/command_context.h"
#include "core/types.h"

namespace pelldrake {

class CommandTable;

// Plugs the save and load commands into the board's command table. A long load shows its
// progress in a box owned by the board window, whose cancel button stops reading.
void RegisterWorkStateCommands(CommandTable& commands, const CommandContext& context);

// Loads a file already named (the command line) with the same progress box, without asking
// whether the lists may go.
void LoadWorkStateFileWithProgress(const CommandContext& context, const FilePath& path);

} // namespace pelldrake
