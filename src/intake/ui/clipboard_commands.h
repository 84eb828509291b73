#pragma once

#include "board/command_context.h"

namespace pelldrake {

class Clipboard;
class CommandTable;

// "クリップボードからファイルを取得" and the submenu "クリップボードにファイルを設定", one entry per list.
void RegisterClipboardCommands(CommandTable& commands, const CommandContext& context, Clipboard& clipboard);

} // namespace pelldrake
