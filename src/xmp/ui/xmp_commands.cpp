#include "xmp/ui/xmp_commands.h"

#include "app/settings_file.h"
#include "board/board.h"
#include "board/command_table.h"
#include "board/file_run_sync.h"
#include "disposal/delete_list_files.h"
#include "platform/busy_cursor.h"
#include "platform/prompter.h"
#include "platform/ui/stoppable_progress.h"
#include "platform/worker_run.h"
#include "resources/menu_table.h"
#include "resources/xmp_strings.h"
#include "xmp/ui/xmp_dialog.h"
#include "xmp/xmp_run.h"
#include "xmp/xmp_undo.h"

namespace pelldrake {

XmpCommands::XmpCommands(const CommandContext& context, std::function<int()> shownList)
    : QObject(context.dialogParent), board_(context.board), settings_(context.settings), prompter_(context.prompter),
      parent_(context.dialogParent), progress_(context.progress), shownList_(std::move(shownList)) {}

XmpCommands::~XmpCommands() = default;

XmpDialog& XmpCommands::dialog() {
    if (!dialog_)
        dialog_ = new XmpDialog(parent_);
    return *dialog_;
}

void XmpCommands::Run() {
    if (board_.runLock().Held())
        return;
    const int shown = shownList_ ? shownList_() : -1;
    const ListIndex preselected = shown >= 0 && shown < kListCount ? shown : board_.lastTouchedList();
    const int savedForm = settings_.XmpSidecarForm();
    XmpDialog& chosen = dialog();
    if (!chosen.Run(preselected, static_cast<SidecarForm>(savedForm)))
        return;
    const SidecarForm form = chosen.form();
    if (static_cast<int>(form) != savedForm)
        settings_.WriteXmpSidecarForm(static_cast<int>(form));
    const ListIndex list = chosen.list();
    const XmpDecision decision = chosen.decision();
    if (board_.List(list).Count() == 0 || decision.ChangesNothing())
        return;

    const RunLock::Scope running(board_.runLock());
    const FileRunSync synced(board_);
    // The other thread reads the list's entries, which the run lock holds still.
    const FilePathList& entries = board_.List(list).Entries();
    const std::optional<RawEntries> rawEntries = RawEntries::OfBoardIfPaired(board_, list);
    XmpRunContext context{*fileSystem_};
    context.journal = board_.history().journal();
    if (rawEntries) {
        context.files = &board_.List(list).Identities();
        context.rawEntries = &*rawEntries;
    }
    XmpRunOutcome outcome;
    OffThread([&](ProgressSink& relay) {
        context.sink = &relay;
        outcome = WriteDecision(context, entries, decision, form);
    });
    if (!outcome.record.empty()) {
        auto runner = [this](const XmpUndo::FileWork& work) {
            const RunLock::Scope undoing(board_.runLock());
            OffThread(work);
        };
        board_.history().AttachFiles(std::make_shared<XmpUndo>(*fileSystem_, prompter_, std::move(outcome.record),
                                                               decision, runner, &board_.history()));
    }
    if (!outcome.failed.empty())
        prompter_.Ask(NamedFilesMessage(strings::kXmpFailed, outcome.failed), PromptButtons::Ok,
                      PromptIcon::Exclamation);
}

template <typename Work> void XmpCommands::OffThread(Work work) {
    // Ten thousand sidecars take a while: the window goes on painting and answering, and after half
    // a second offers "中止", which stops the run after the file it is on.
    const BusyCursor busy;
    StoppableProgress progress(progress_, parent_);
    RunOffThread(&progress, work);
    progress.Finish();
}

void RegisterXmpCommands(CommandTable& commands, const CommandContext& context, std::function<int()> shownList) {
    auto* xmp = new XmpCommands(context, std::move(shownList));
    commands.Add(menu_ids::kXmpRatings, [xmp](int) { xmp->Run(); });
}

} // namespace pelldrake
