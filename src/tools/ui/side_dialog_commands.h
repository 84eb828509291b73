#pragma once

class QWidget;

namespace pelldrake {

class Board;
class CommandTable;
class SettingsFile;

// Plugs in the bulk classification (kept, with its conditions, as long as the board) and the
// version and settings box.
void RegisterSideDialogCommands(CommandTable& commands, Board& board, const SettingsFile& settings,
                                QWidget* dialogParent);

} // namespace pelldrake
