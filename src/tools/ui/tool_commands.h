#pragma once

#include "board/command_context.h"

namespace pelldrake {

class CommandTable;

// The side tools: the bulk classification (kept, with its conditions, as long as the board) and
// the file list window, after which the panes of the lists it changed show their first entry.
void RegisterToolCommands(CommandTable& commands, const CommandContext& context);

} // namespace pelldrake
