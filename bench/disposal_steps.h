#pragma once

// The steps of the program's disposal command (DisposalCommands::DisposeList and TrashLists)
// without its dialog and its thread, for the drivers that run disposals with the journal on: the
// file work, the lists following it, the files kept for undo, and the journal synced at the end.

#include "board/board.h"
#include "disposal/copy_or_move_files.h"
#include "disposal/delete_list_files.h"
#include "disposal/disposal_undo.h"
#include "platform/file_system.h"
#include "platform/prompter.h"

#include <memory>

namespace bench {

using namespace pelldrake;

// The context every disposal of the drivers runs with, made in this one place as the program's
// disposal command makes it: the board's journal hears of each file before and after it goes.
inline DisposalContext MakeDisposalContext(Board& board, FileSystem& fileSystem, Prompter& prompter,
                                           DisposalRecord& record, ListIndex list) {
    DisposalContext context{fileSystem, prompter, nullptr, &record};
    context.journal = board.history().journal();
    context.list = list;
    return context;
}

// Moves the files of the list into the folder, or copies them with keepSource, or with no folder
// sends them to the trash. Runs inside the command's step, as the command does.
inline void DisposeList(Board& board, FileSystem& fileSystem, Prompter& prompter, ListIndex list,
                        const FilePath& folder, bool keepSource) {
    const RunLock::Scope running(board.runLock());
    DisposalRecord record;
    DisposalContext context = MakeDisposalContext(board, fileSystem, prompter, record, list);
    if (folder.empty()) {
        std::vector<ListTrashing> lists = ListsToTrash(board, list);
        TrashEntries(context.fileSystem, lists, context.record, context.rawEntries, context.sink, context.journal);
        ApplyTrashing(board, lists);
    } else {
        CopyOrMoveFiles(board, context, list, folder, keepSource);
    }
    if (!record.empty())
        board.history().AttachFiles(
            std::make_shared<DisposalUndo>(fileSystem, prompter, std::move(record), nullptr, &board.history()));
    // The files have moved: the lists that now name them must outlast a power loss.
    board.history().EndFileRun();
    board.history().Commit();
    board.history().SyncJournal();
}

} // namespace bench
