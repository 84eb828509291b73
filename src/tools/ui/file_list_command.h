#pragma once

class QWidget;

namespace pelldrake {

class Board;
class CommandTable;

// Command 1190, the board's "リスト(&L)" button and its menu entry: the file list window over the
// board's lists, then the panes of the lists it changed brought back to their first entry.
void RegisterFileListCommand(CommandTable& commands, Board& board, QWidget* dialogParent);

void RunFileListWindow(Board& board, QWidget* dialogParent);

} // namespace pelldrake
