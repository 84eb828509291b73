#include "intake/ui/clipboard_commands.h"

#include "board/command_table.h"
#include "intake/clipboard_exchange.h"
#include "resources/menu_table.h"

namespace pelldrake {

void RegisterClipboardCommands(CommandTable& commands, const CommandContext& context, Clipboard& clipboard) {
    using namespace menu_ids;
    // The filter switch is read at each paste, so a later change of it counts.
    commands.Add(kFromClipboard, [context, &clipboard](int) {
        PasteFilesFromClipboard(context.board, context.settings, context.applyExtensionFilter, clipboard,
                                context.prompter);
    });
    commands.Add(kToClipboardFirst, kToClipboardFirst + kListCount - 1, [context, &clipboard](int id) {
        CopyListToClipboard(context.board, id - kToClipboardFirst, clipboard, context.prompter);
    });
}

} // namespace pelldrake
