#include "state/ui/work_state_menu.h"

#include "app/settings_file.h"
#include "board/command_table.h"
#include "resources/menu_table.h"
#include "resources/strings.h"
#include "resources/work_state_strings.h"
#include "state/work_state_commands.h"

#include <QPointer>
#include <QProgressDialog>
#include <memory>

namespace pelldrake {

namespace {

// The box appears only when a load takes longer than a moment; while it shows, the window keeps
// painting and the user can stop a load that would otherwise run on for minutes. load is the
// command's load or the command line's, given the progress callback.
void LoadWithProgress(QWidget* dialogParent, const std::function<void(const LoadProgress&)>& load) {
    std::unique_ptr<QProgressDialog> progress;
    constexpr int kSteps = 1000;
    load([&](std::size_t done, std::size_t total) {
        if (!progress) {
            progress =
                std::make_unique<QProgressDialog>(strings::Utf8(strings::kWorkStateLoadProgress),
                                                  strings::Utf8(strings::kWorkStateLoadStop), 0, kSteps, dialogParent);
            progress->setWindowTitle(strings::Utf8(strings::kWorkStateLoadTitle));
            // Every window waits, the enlarge window too: no command may touch the lists mid-load.
            progress->setWindowModality(Qt::ApplicationModal);
            progress->setMinimumDuration(500);
            progress->setAutoReset(false);
        }
        const double fraction = total == 0 ? 1.0 : static_cast<double>(std::min(done, total)) / total;
        progress->setValue(static_cast<int>(fraction * kSteps));
        return !progress->wasCanceled();
    });
}

} // namespace

void RegisterWorkStateCommands(CommandTable& commands, const CommandContext& context) {
    Board& board = context.board;
    Prompter& prompter = context.prompter;
    QWidget* dialogParent = context.dialogParent;
    commands.Add(menu_ids::kSaveWorkState, [&board, &prompter](int) { SaveWorkState(board, prompter); });
    QPointer<QWidget> parent(dialogParent);
    commands.Add(menu_ids::kLoadWorkState, [&board, &prompter, &settings = context.settings, parent](int) {
        LoadWithProgress(parent.data(), [&](const LoadProgress& keepGoing) {
            LoadWorkState(board, prompter, keepGoing, settings.IntakePairs());
        });
    });
}

void LoadWorkStateFileWithProgress(const CommandContext& context, const FilePath& path) {
    LoadWithProgress(context.dialogParent, [&](const LoadProgress& keepGoing) {
        LoadWorkStateFile(context.board, context.prompter, path, keepGoing, context.settings.IntakePairs());
    });
}

} // namespace pelldrake
