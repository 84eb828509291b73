#include "disposal/ui/disposal_commands.h"

#include "app/settings_file.h"
#include "board/board.h"
#include "board/command_table.h"
#include "board/moves.h"
#include "disposal/copy_or_move_files.h"
#include "disposal/delete_list_files.h"
#include "disposal/disposal_undo.h"
#include "disposal/dispose_command.h"
#include "disposal/ui/destination_dialog.h"
#include "disposal/ui/repaint_pacer.h"
#include "intake/clipboard_exchange.h"
#include "platform/prompter.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"

#include <QWidget>

namespace pelldrake {

namespace {

// Ends a disposal, however it returns, with the journal of its lists on the disk.
class JournalSync {
public:
    explicit JournalSync(Board& board) : board_(board) {}
    ~JournalSync() {
        board_.history().Commit();
        board_.history().SyncJournal();
    }
    JournalSync(const JournalSync&) = delete;
    JournalSync& operator=(const JournalSync&) = delete;

private:
    Board& board_;
};

} // namespace

DisposalCommands::DisposalCommands(Board& board, Prompter& prompter, QWidget* boardWindow, ProgressSink* progress,
                                   const SettingsFile* settings)
    : QObject(boardWindow), board_(board), prompter_(prompter), boardWindow_(boardWindow), progress_(progress),
      settings_(settings) {}

bool DisposalCommands::WithCompanions() const {
    return settings_ && settings_->IntakePairs();
}

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
    const JournalSync synced(board_);

    if (choice.page == DestinationPage::Files) {
        DisposalRecord record;
        FilePathList sidecarsLeft;
        if (choice.folder.empty()) {
            FilePathList stayed = DeleteListFiles(board_, *fileSystem_, list, &record, &sidecarsLeft, WithCompanions());
            KeepForUndo(std::move(record));
            stayed.insert(stayed.end(), sidecarsLeft.begin(), sidecarsLeft.end());
            TellFilesThatStayed(stayed);
            return;
        }
        DisposalContext context{board_, *fileSystem_, prompter_, RepaintPacer(), progress_, &record, WithCompanions()};
        CopyOrMoveFiles(context, list, choice.folder, choice.keepSource);
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
    const JournalSync synced(board_);
    DisposalRecord record;
    FilePathList sidecarsLeft;
    FilePathList stayed = DeleteAllLists(board_, *fileSystem_, &record, &sidecarsLeft, WithCompanions());
    KeepForUndo(std::move(record));
    stayed.insert(stayed.end(), sidecarsLeft.begin(), sidecarsLeft.end());
    TellFilesThatStayed(stayed);
}

void DisposalCommands::KeepForUndo(DisposalRecord record) {
    if (!record.empty())
        board_.history().AttachFiles(std::make_shared<DisposalUndo>(*fileSystem_, prompter_, std::move(record)));
}

void DisposalCommands::TellFilesThatStayed(const FilePathList& stayed) {
    if (!stayed.empty())
        prompter_.Ask(TrashFailureMessage(stayed), PromptButtons::Ok, PromptIcon::Exclamation);
}

DisposalCommands& RegisterDisposalCommands(CommandTable& commands, const CommandContext& context,
                                           Clipboard& clipboard) {
    auto* disposal = new DisposalCommands(context.board, context.prompter, context.dialogParent, context.progress,
                                          &context.settings);
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
