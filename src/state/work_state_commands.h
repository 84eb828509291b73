#pragma once

namespace pelldrake {

class Board;
class CommandTable;
class Prompter;

// Writes all lists to a file the user names. Leaves the board as it is.
void SaveWorkState(const Board& board, Prompter& prompter);

// Replaces all lists by a file the user picks, after asking whether the current lists may go.
void LoadWorkState(Board& board, Prompter& prompter);

// Plugs the save and load commands into the board's command table.
void RegisterWorkStateCommands(CommandTable& commands, Board& board, Prompter& prompter);

} // namespace pelldrake
