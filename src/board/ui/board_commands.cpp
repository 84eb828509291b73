#include "board/ui/board_commands.h"

#include "board/moves.h"
#include "board/ui/classify_board_dialog.h"
#include "platform/file_info.h"
#include "platform/shell.h"
#include "platform/ui/stoppable_progress.h"
#include "resources/control_ids.h"
#include "resources/key_table.h"
#include "resources/menu_table.h"
#include "xmp/ui/xmp_commands.h"

#include <QGuiApplication>

namespace pelldrake {

namespace {

// The modifiers of the event being handled, not a live look at the keyboard.
bool ShiftHeld() {
    return QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
}

void OpenCurrentFile(ClassifyBoardDialog& window) {
    const ClassList& unclassified = window.board().List(kUnclassified);
    if (unclassified.HasCurrent())
        window.shell().OpenFile(unclassified.At(unclassified.position()));
}

} // namespace

void RegisterBoardCommands(ClassifyBoardDialog& window, CommandTable& commands) {
    using namespace menu_ids;
    Board& board = window.board();
    commands.Add(ids::NumberButton(1), ids::NumberButton(10), [&window, &board](int id) {
        const ListIndex n = id - ids::NumberButton(0);
        if (ShiftHeld())
            window.EnlargeCommand(n);
        else
            moves::MoveCurrentToList(board, n);
    });
    commands.Add(ids::MoveOne(1), ids::MoveOne(10),
                 [&board](int id) { moves::ReturnCurrentToUnclassified(board, id - ids::MoveOne(0)); });
    commands.Add(ids::MoveAll(1), ids::MoveAll(10), [&board](int id) {
        const ListIndex n = id - ids::MoveAll(0);
        if (ShiftHeld()) {
            moves::MoveAllEntries(board, kUnclassified, n);
            board.setLastTouchedList(n);
        } else {
            moves::MoveAllEntries(board, n, kUnclassified);
        }
    });
    commands.Add(key_ids::kReturnLastSorted, [&board](int) {
        if (board.lastTouchedList() != kUnclassified)
            moves::ReturnCurrentToUnclassified(board, board.lastTouchedList());
    });
    commands.Add(ids::kExclude, [&board](int) { moves::ExcludeCurrent(board, ShiftHeld()); });
    commands.Add(kClearUnclassified, [&board](int) { moves::ClearList(board, kUnclassified); });
    commands.Add(kClearAll, [&board](int) { moves::ClearAll(board); });
    // A step kept on the disk is read back as a long run is shown: on the status line, and after
    // half a second in a box with "中止".
    board.history().setReadBackProgress(
        [&window] { return std::make_unique<StoppableProgress>(window.commandContext().progress, &window); });
    commands.Add(kUndo, [&board](int) { board.history().Undo(); });
    commands.Add(kRedo, [&board](int) { board.history().Redo(); });
    commands.Add(ids::kOk, [&board](int) { moves::StepUnclassified(board); });

    commands.Add(ids::kExpandToggle, [&window](int) { window.ToggleExpand(); });
    commands.Add(kExpand, [&window](int) { window.ToggleExpand(); });
    commands.Add(ids::Enlarge(0), ids::Enlarge(10), [&window](int id) { window.EnlargeCommand(id - ids::Enlarge(0)); });
    commands.Add(kEnlargeFirst, kEnlargeFirst + 10, [&window](int id) { window.EnlargeCommand(id - kEnlargeFirst); });
    commands.Add(kCloseEnlarge, [&window](int) { window.viewer().ShowList(EnlargeViewer::kNoList, std::nullopt); });
    commands.Add(kActualSize, [&window](int) { window.viewer().ToggleActualSize(); });
    commands.Add(kCompare, [&window](int) { window.viewer().ToggleCompare(); });
    commands.Add(kPinFirst, [&window](int) { window.viewer().TogglePin(); });
    commands.Add(kShootingInfo, [&window](int) { window.viewer().ToggleShootingInfo(); });
    commands.Add(kHistogram, [&window](int) { window.viewer().ToggleHistogram(); });
    commands.Add(key_ids::kLookLeft, key_ids::kLookDown, [&window](int id) {
        const int right = id == key_ids::kLookRight ? 1 : id == key_ids::kLookLeft ? -1 : 0;
        const int down = id == key_ids::kLookDown ? 1 : id == key_ids::kLookUp ? -1 : 0;
        window.viewer().Pan(right, down);
    });
    commands.Add(ids::kOpen, [&window](int) { OpenCurrentFile(window); });

    commands.Add(kHelpContents, [&window](int) { window.shell().OpenInBrowser(PathFromQString(window.helpPath())); });
    commands.Add(key_ids::kContextHelp, [&window](int) { window.ShowContextHelp(); });
    commands.Add(kExit, [&window](int) { window.Exit(); });
    commands.Add(ids::kCancel, [&window](int) { window.reject(); });
    RegisterXmpCommands(commands, window.commandContext(), [&window] { return window.viewer().ShownList(); });
}

} // namespace pelldrake
