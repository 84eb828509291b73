#pragma once

namespace pelldrake {

class ClassifyBoardDialog;
class CommandTable;

// The board's own commands: sorting by hand, clearing, expanding, the enlarge window, opening a
// file, help and closing.
void RegisterBoardCommands(ClassifyBoardDialog& window, CommandTable& commands);

} // namespace pelldrake
