#pragma once

class QWidget;

namespace pelldrake {

class Board;
class CommandTable;
class Prompter;

// Plugs the save and load commands into the board's command table. A long load shows its
// progress in a box owned by dialogParent, whose cancel button stops reading.
void RegisterWorkStateCommands(CommandTable& commands, Board& board, Prompter& prompter, QWidget* dialogParent);

} // namespace pelldrake
