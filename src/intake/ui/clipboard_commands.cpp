#include "intake/ui/clipboard_commands.h"

#include "board/board.h"
#include "board/command_table.h"
#include "intake/clipboard_exchange.h"
#include "resources/menu_table.h"

namespace pelldrake {

void RegisterClipboardCommands(CommandTable& commands, Board& board, const SettingsFile& settings, Prompter& prompter,
                               Clipboard& clipboard, const bool& applyExtensionFilter) {
    using namespace menu_ids;
    commands.Add(kFromClipboard, [&board, &settings, &prompter, &clipboard, &applyExtensionFilter](int) {
        PasteFilesFromClipboard(board, settings, applyExtensionFilter, clipboard, prompter);
    });
    commands.Add(kToClipboardFirst, kToClipboardFirst + kListCount - 1, [&board, &prompter, &clipboard](int id) {
        CopyListToClipboard(board, id - kToClipboardFirst, clipboard, prompter);
    });
}

} // namespace pelldrake
