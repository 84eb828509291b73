#include "tools/ui/side_dialog_commands.h"

#include "app/settings_file.h"
#include "app/ui/initial_settings_dialog.h"
#include "board/command_table.h"
#include "platform/busy_cursor.h"
#include "resources/menu_table.h"
#include "tools/auto_classify.h"
#include "tools/ui/auto_classify_dialog.h"

namespace pelldrake {

void RegisterSideDialogCommands(CommandTable& commands, Board& board, const SettingsFile& settings,
                                QWidget* dialogParent) {
    // A child of the board window, so it goes with it; its dates count from this moment.
    auto* classify = new AutoClassifyDialog(ClassifyConditions::StartingAt(QDateTime::currentDateTime()), dialogParent);
    commands.Add(menu_ids::kAutoClassify, [classify, &board](int) {
        if (!classify->Run())
            return;
        const BusyCursor busy;
        RunAutoClassify(board, classify->conditions());
    });
    commands.Add(menu_ids::kAbout, [settings, dialogParent](int) {
        InitialSettingsDialog dialog(settings, dialogParent);
        dialog.exec();
    });
}

} // namespace pelldrake
