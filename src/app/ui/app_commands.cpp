#include "app/ui/app_commands.h"

#include "app/settings_file.h"
#include "app/ui/initial_settings_dialog.h"
#include "board/command_table.h"
#include "resources/menu_table.h"

namespace pelldrake {

void RegisterAppCommands(CommandTable& commands, const CommandContext& context) {
    commands.Add(menu_ids::kAbout, [&settings = context.settings, parent = context.dialogParent](int) {
        InitialSettingsDialog dialog(settings, parent);
        dialog.exec();
    });
}

} // namespace pelldrake
