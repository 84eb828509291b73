#include "disposal/ui/disposal_commands.h"

#include "board/board.h"
#include "board/command_table.h"
#include "board/file_run_sync.h"
#include "board/moves.h"
#include "disposal/copy_or_move_files.h"
#include "disposal/delete_list_files.h"
#include "disposal/disposal_undo.h"
#include "disposal/dispose_command.h"
#include "disposal/ui/destination_dialog.h"
#include "intake/clipboard_exchange.h"
#include "platform/busy_cursor.h"
#include "platform/prompter.h"
#include "platform/ui/stoppable_progress.h"
#include "platform/ui_thread_prompter.h"
#include "platform/worker_run.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"

#include <QWidget>

namespace pelldrake {

DisposalCommands::DisposalCommands(Board& board, Prompter& prompter, QWidget* boardWindow, ProgressSink* progress)
    : QObject(boardWindow), board_(board), prompter_(prompter), boardWindow_(boardWindow), progress_(progress) {}

DisposalCommands::~DisposalCommands() = default;

DestinationDialog& DisposalCommands::dialog() {
    if (!dialog_)
        dialog_ = new DestinationDialog(prompter_, *fileSystem_, boardWindow_);
    return *dialog_;
}

void DisposalCommands::setFileSystem(FileSystem& fileSystem) {
    fileSystem_ = &fileSystem;
    if (dialog_)
        dialog_->setFileSystem(fileSystem);
}

void DisposalCommands::DisposeList(int id) {
    const std::optional<DisposeCommand> command = DisposeCommandFor(id);
    if (!command || board_.List(command->list).Count() == 0)
        return;
    DestinationDialog& destination = dialog();
    destination.Prepare(command->list, command->preset);
    if (destination.Run() != QDialog::Accepted)
        return;
    const DestinationChoice choice = destination.Choice();
    const ListIndex list = command->list;
    const RunLock::Scope running(board_.runLock());
    // The files have moved: the lists that now name them must outlast a power loss.
    const FileRunSync synced(board_);

    if (choice.page == DestinationPage::Files) {
        if (choice.folder.empty()) {
            TrashLists(list);
            return;
        }
        // The other thread reads the list's entries, which the run lock holds still; the list
        // changes once the files are done. A file the user takes back joins the unclassified list
        // on this thread before the next file, unless that is the list being read.
        const FilePathList& entries = board_.List(list).Entries();
        // Each entry's pair was settled when it came in; the setting has no say here any more.
        const std::optional<RawEntries> rawEntries = RawEntries::OfBoardIfPaired(board_, list);
        const std::vector<FileIdentity>* files = rawEntries ? &board_.List(list).Identities() : nullptr;
        DisposalRecord record;
        CopyOrMoveOutcome outcome;
        ListChangeSink* journal = board_.history().journal();
        OffThread([&](ProgressSink& relay) {
            UiThreadPrompter asking(prompter_);
            DisposalContext context{*fileSystem_, asking, &relay, &record, files, rawEntries ? &*rawEntries : nullptr};
            context.journal = journal;
            context.list = list;
            if (list != kUnclassified)
                context.returnFiles = [this](EntryBatch returned) {
                    OnUserInterfaceThread([&] { ReturnToUnclassified(board_, std::move(returned)); });
                };
            outcome = CopyOrMoveEntries(context, entries, choice.folder, choice.keepSource);
        });
        ApplyCopyOrMove(board_, prompter_, list, std::move(outcome));
        KeepForUndo(std::move(record));
        return;
    }
    if (choice.target == kTargetClipboard) {
        if (clipboardExport_)
            clipboardExport_(list);
        return;
    }
    moves::MoveAllEntries(board_, list, choice.target);
}

void DisposalCommands::DeleteAll() {
    const RunLock::Scope running(board_.runLock());
    const FileRunSync synced(board_);
    TrashLists(std::nullopt);
}

template <typename Work> void DisposalCommands::OffThread(Work work) {
    // A million files take minutes to move: the window goes on painting and answering, and after
    // half a second offers "中止", which stops the run after the file it is on.
    const BusyCursor busy;
    StoppableProgress progress(progress_, boardWindow_);
    RunOffThread(&progress, work);
    progress.Finish();
}

void DisposalCommands::TrashLists(std::optional<ListIndex> list) {
    std::vector<ListTrashing> lists = ListsToTrash(board_, list);
    const std::optional<RawEntries> rawEntries = RawEntries::OfBoardIfPaired(board_, list);
    DisposalRecord record;
    FilePathList sidecarsLeft;
    ListChangeSink* journal = board_.history().journal();
    OffThread([&](ProgressSink& relay) {
        sidecarsLeft = TrashEntries(*fileSystem_, lists, &record, rawEntries ? &*rawEntries : nullptr, &relay, journal);
    });
    FilePathList stayed = ApplyTrashing(board_, lists);
    KeepForUndo(std::move(record));
    stayed.insert(stayed.end(), sidecarsLeft.begin(), sidecarsLeft.end());
    TellFilesThatStayed(stayed);
}

void DisposalCommands::KeepForUndo(DisposalRecord record) {
    if (record.empty())
        return;
    // Taking the files back can take as long as the disposal did, and runs as it did.
    auto runner = [this](const DisposalUndo::FileWork& work) {
        const RunLock::Scope running(board_.runLock());
        OffThread(work);
    };
    board_.history().AttachFiles(
        std::make_shared<DisposalUndo>(*fileSystem_, prompter_, std::move(record), runner, &board_.history()));
}

void DisposalCommands::TellFilesThatStayed(const FilePathList& stayed) {
    if (!stayed.empty())
        prompter_.Ask(TrashFailureMessage(stayed), PromptButtons::Ok, PromptIcon::Exclamation);
}

DisposalCommands& RegisterDisposalCommands(CommandTable& commands, const CommandContext& context,
                                           Clipboard& clipboard) {
    auto* disposal = new DisposalCommands(context.board, context.prompter, context.dialogParent, context.progress);
    disposal->setClipboardExport([&board = context.board, &prompter = context.prompter, &clipboard](ListIndex list) {
        CopyListToClipboard(board, list, clipboard, prompter);
    });
    auto dispose = [disposal](int id) { disposal->DisposeList(id); };
    commands.Add(ids::Dispose(0), ids::Dispose(kListCount - 1), dispose);
    for (int first : {menu_ids::kMoveToFolderFirst, menu_ids::kMoveToListFirst, menu_ids::kToClipboardFirst,
                      menu_ids::kDeleteFirst})
        commands.Add(first, first + kListCount - 1, dispose);
    commands.Add(menu_ids::kDeleteAll, [disposal](int) { disposal->DeleteAll(); });
    return *disposal;
}

} // namespace pelldrake
