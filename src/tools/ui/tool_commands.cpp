#include "tools/ui/tool_commands.h"

#include "app/settings_file.h"
#include "board/board.h"
#include "board/command_table.h"
#include "platform/busy_cursor.h"
#include "platform/ui/stoppable_progress.h"
#include "platform/worker_run.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "tools/auto_classify.h"
#include "tools/decision_cache.h"
#include "tools/ui/auto_classify_dialog.h"
#include "tools/ui/file_list_dialog.h"

#include <memory>

namespace pelldrake {

namespace {

void RunFileListWindow(Board& board, QWidget* dialogParent) {
    ChangedLists changed{};
    {
        FileListDialog dialog(board, dialogParent);
        dialog.exec();
        changed = dialog.listChanged();
    }
    // Lists the window did not touch keep their positions.
    for (ListIndex list = 0; list < kListCount; ++list) {
        if (!changed[static_cast<std::size_t>(list)])
            continue;
        board.List(list).UpdateControls();
        board.ResyncPane(list, 0);
    }
}

} // namespace

void RegisterToolCommands(CommandTable& commands, const CommandContext& context) {
    // A child of the board window, so it goes with it; its dates count from this moment.
    auto* classify =
        new AutoClassifyDialog(ClassifyConditions::StartingAt(QDateTime::currentDateTime()), context.dialogParent);
    // The ratings and labels read stay known for the run: a second classification reads only files
    // that changed.
    auto decisions = std::make_shared<DecisionCache>();
    commands.Add(menu_ids::kAutoClassify, [classify, decisions, &board = context.board, shown = context.progress,
                                           parent = context.dialogParent](int) {
        if (board.runLock().Held() || !classify->Run())
            return;
        const BusyCursor busy;
        const RunLock::Scope running(board.runLock());
        // A million files take seconds to examine, and their ratings longer: the window goes on
        // answering, and a stop leaves every list as it was, since the lists change only once the
        // whole outcome is known.
        const ClassifyConditions conditions = classify->conditions();
        const auto lists = ListsToScan(board);
        ClassifyOutcome outcome;
        StoppableProgress progress(shown, parent);
        RunOffThread(&progress, [&](ProgressSink& relay) {
            outcome = FindMatches(lists, conditions, NativeCodePage(), &relay, decisions.get());
            PrepareJournal(board, conditions, outcome);
        });
        progress.Finish();
        ApplyMatches(board, conditions, std::move(outcome));
    });
    // Written at once, so that a board started meanwhile pairs alike.
    commands.Add(menu_ids::kRawJpegPairs,
                 [&settings = context.settings](int) { settings.WriteIntakePairs(!settings.IntakePairs()); });
    // The button and the menu entry share the id.
    commands.Add(ids::kListButton,
                 [&board = context.board, parent = context.dialogParent](int) { RunFileListWindow(board, parent); });
}

} // namespace pelldrake
