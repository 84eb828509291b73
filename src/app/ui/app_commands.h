#pragma once

#include "board/command_context.h"

namespace pelldrake {

class CommandTable;

// The version and settings box.
void RegisterAppCommands(CommandTable& commands, const CommandContext& context);

} // namespace pelldrake
