#pragma once

namespace pelldrake {

class Board;
class Clipboard;
class CommandTable;
class Prompter;
class SettingsFile;

// "クリップボードからファイルを取得" and the submenu "クリップボードにファイルを設定", one entry per list.
// applyExtensionFilter is read when a paste runs, so a later switch of the filter counts.
void RegisterClipboardCommands(CommandTable& commands, Board& board, const SettingsFile& settings, Prompter& prompter,
                               Clipboard& clipboard, const bool& applyExtensionFilter);

} // namespace pelldrake
