#include "app/startup/classify_app.h"

#include "app/instance_channel.h"
#include "app/startup/board_recovery.h"
#include "app/startup/hand_over_queue.h"
#include "board/ui/classify_board_dialog.h"
#include "platform/prompter.h"
#include "platform/ui/qt_prompter.h"

#include <memory>

namespace pelldrake {

ClassifyApp::ClassifyApp(SettingsFile settings, Prompter& prompter, ImageEnvironment environment,
                         FilePath recoveryFolder)
    : settings_(settings), prompter_(prompter), checks_(std::move(settings), prompter, std::move(environment)),
      recoveryFolder_(std::move(recoveryFolder)) {}

int ClassifyApp::Run(Shell& shell, const CommandLine& commandLine, InstanceChannel* channel) {
    // Later starts may hand over while the checks still ask: they wait for the board.
    HandOverQueue queue;
    queue.Add(commandLine, false);
    if (channel) {
        QObject::connect(channel, &InstanceChannel::commandLineArrived, &queue,
                         [&queue](const CommandLine& handed) { queue.Add(handed, true); });
    }
    if (!checks_.RunChecks())
        return 0;
    auto board = std::make_unique<ClassifyBoardDialog>(checks_.ChooseLayout(), settings_, prompter_, shell);
    BoardRecovery recovery(recoveryFolder_, prompter_);
    recovery.Begin(board->board(), settings_.IntakePairs());
    if (auto* qtPrompter = dynamic_cast<QtPrompter*>(&prompter_))
        qtPrompter->setOwner(board.get());
    board->setApplyExtensionFilter(settings_.ExtFilterEnable() != 0);
    queue.AttachBoard(board.get());
    board->exec();
    recovery.End(board->board());

    // The enlarge window goes with the board's window and saves its place first; then the
    // filter switch; then the lists.
    const bool filterOn = board->applyExtensionFilter();
    board->viewer().DetachBoard();
    settings_.WriteExtFilterEnable(filterOn);
    board.reset();
    return 0;
}

} // namespace pelldrake
