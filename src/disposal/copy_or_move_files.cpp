#include "disposal/copy_or_move_files.h"

#include "core/progress.h"
#include "disposal/delete_list_files.h"
#include "disposal/file_transfer.h"
#include "disposal/sidecars.h"
#include "platform/busy_cursor.h"
#include "platform/file_info.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "resources/disposal_strings.h"

#include <cerrno>

namespace pelldrake {

namespace {

QByteArray Shown(const FilePath& path) {
    return PathToQString(path).toUtf8();
}

enum class Step { Next, Stop };

void ReturnToUnclassified(Board& board, const FilePath& source) {
    ClassList& unclassified = board.List(kUnclassified);
    unclassified.Append(source);
    unclassified.UpdateControls();
    board.ResyncPane(kUnclassified, unclassified.Count() - 1);
}

// What a run keeps for its end: returned files, held back when the unclassified list itself is
// being disposed of, and moved files whose sources could not be removed.
struct RunNotes {
    FilePathList heldBack;
    FilePathList sourcesKept;
};

Step HandleEntry(DisposalContext& context, ListIndex list, const FilePath& source, const FilePath& folder,
                 bool keepSource, RunNotes& notes, Sidecars& sidecars) {
    FileSystem& fileSystem = context.fileSystem;
    Prompter& prompter = context.prompter;
    const auto sourceStatus = fileSystem.Status(source);
    if (!sourceStatus) {
        prompter.Ask(QString::asprintf(strings::kSourceMissing, Shown(source).constData()), PromptButtons::Ok,
                     PromptIcon::Stop);
        return Step::Next;
    }
    const FilePath target = TargetPathFor(source, folder);
    const auto targetStatus = fileSystem.Status(target);
    // Another spelling of the same file (a link, "./", "//"): copying would empty it.
    if (targetStatus && targetStatus->SameFileAs(*sourceStatus))
        return Step::Next;
    // Whatever stands under the name is asked about, a link to nothing too.
    const bool taken = targetStatus || fileSystem.NameTaken(target);
    if (taken) {
        const PromptAnswer answer = prompter.Ask(
            QString::asprintf(strings::kOverwriteQuestion, Shown(source).constData(), Shown(target).constData()),
            PromptButtons::YesNoCancel, PromptIcon::Question);
        if (answer == PromptAnswer::Cancel)
            return Step::Stop;
        if (answer != PromptAnswer::Yes)
            return Step::Next;
    }
    TransferResult transfer;
    std::optional<FilePath> replaced;
    {
        // Busy while the file is handled, never while a question waits for the user.
        const BusyCursor busy;
        // The file the user agreed to replace is kept in the trash: an overwrite destroys nothing.
        if (taken)
            replaced = fileSystem.MoveToTrash(target);
        transfer = taken && !replaced ? TransferResult{EACCES}
                                      : TransferFile(fileSystem, source, target, keepSource, context.progress);
        if (!transfer.ok() && replaced && fileSystem.RestoreFromTrash(*replaced, target) == 0)
            replaced.reset();
    }
    if (transfer.ok()) {
        if (transfer.sourceKept)
            notes.sourcesKept.push_back(source);
        const bool copied = keepSource || transfer.sourceKept;
        if (context.record) {
            using Kind = FileDisposal::Kind;
            context.record->push_back({copied ? Kind::Copied : Kind::Moved, source, target,
                                       fileSystem.Status(target).value_or(FileStatus{}), replaced});
        }
        const BusyCursor busy;
        sidecars.Follow(source, target, copied, taken, context.record);
        return Step::Next;
    }
    const PromptAnswer answer = prompter.Ask(
        QString::asprintf(strings::kCopyFailedQuestion, Shown(source).constData(), Shown(target).constData()),
        PromptButtons::YesNo, PromptIcon::Stop);
    if (answer == PromptAnswer::Yes) {
        if (list == kUnclassified)
            notes.heldBack.push_back(source);
        else
            ReturnToUnclassified(context.board, source);
    }
    return Step::Next;
}

} // namespace

FilePath TargetPathFor(const FilePath& source, const FilePath& folder) {
    const std::size_t slash = source.find_last_of('/');
    const FilePath name = slash == FilePath::npos ? source : source.substr(slash + 1);
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

void CopyOrMoveFiles(DisposalContext& context, ListIndex list, const FilePath& folder, bool keepSource) {
    Board& board = context.board;
    ClassList& disposed = board.List(list);
    RunNotes notes;
    Sidecars sidecars(context.fileSystem, context.withCompanions);
    {
        const BusyCursor busy;
        RemoveStaleTemporaries(context.fileSystem, folder);
    }
    {
        const BulkUpdate bulk(disposed);
        // A returned file joins the unclassified list while it is walked; the walk uses a copy.
        const FilePathList entries = disposed.Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (context.sink)
                context.sink->Report(i + 1, entries.size(), entries[i]);
            const Step step = HandleEntry(context, list, entries[i], folder, keepSource, notes, sidecars);
            context.progress();
            if (step == Step::Stop)
                break;
        }
        if (context.sink)
            context.sink->Finish();
        disposed.Clear();
        board.ResyncPane(list, 0);
    }
    if (!notes.heldBack.empty()) {
        for (FilePath& source : notes.heldBack)
            disposed.Append(std::move(source));
        disposed.UpdateControls();
        board.ResyncPane(list, disposed.Count() - 1);
    }
    if (!notes.sourcesKept.empty())
        context.prompter.Ask(NamedFilesMessage(strings::kSourcesKept, notes.sourcesKept), PromptButtons::Ok,
                             PromptIcon::Exclamation);
    if (!sidecars.leftBehind().empty())
        context.prompter.Ask(NamedFilesMessage(strings::kSidecarsLeft, sidecars.leftBehind()), PromptButtons::Ok,
                             PromptIcon::Exclamation);
}

} // namespace pelldrake
