#include "disposal/copy_or_move_files.h"

#include "core/progress.h"
#include "disposal/delete_list_files.h"
#include "disposal/file_transfer.h"
#include "disposal/sidecars.h"
#include "platform/file_info.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "resources/disposal_strings.h"

#include <cerrno>
#include <utility>

namespace pelldrake {

namespace {

QByteArray Shown(const FilePath& path) {
    return PathToQString(path).toUtf8();
}

enum class Step { Next, Stop };

// Asks whether the file whose copy failed returns to the unclassified list; its raw files stayed
// with it and stay paired.
Step CopyFailed(Prompter& prompter, const FilePath& source, bool paired, const FilePath& target,
                const FileStatus& sourceStatus, CopyOrMoveOutcome& outcome) {
    const PromptAnswer answer = prompter.Ask(
        QString::asprintf(strings::kCopyFailedQuestion, Shown(source).constData(), Shown(target).constData()),
        PromptButtons::YesNo, PromptIcon::Stop);
    if (answer == PromptAnswer::Yes) {
        FileIdentity returned(sourceStatus.device, sourceStatus.inode);
        returned.paired = paired;
        outcome.returned.push_back(source, returned);
    }
    return Step::Next;
}

Step HandleEntry(DisposalContext& context, std::size_t index, const FilePath& source, bool paired,
                 const FilePath& folder, bool keepSource, CopyOrMoveOutcome& outcome, Sidecars& sidecars) {
    FileSystem& fileSystem = context.fileSystem;
    Prompter& prompter = context.prompter;
    const auto sourceStatus = fileSystem.Status(source);
    if (!sourceStatus) {
        prompter.Ask(QString::asprintf(strings::kSourceMissing, Shown(source).constData()), PromptButtons::Ok,
                     PromptIcon::Stop);
        return Step::Next;
    }
    FilePath target = TargetPathFor(source, folder);
    const auto targetStatus = fileSystem.Status(target);
    // Another spelling of the same file (a link, "./", "//"): copying would empty it.
    if (targetStatus && targetStatus->SameFileAs(*sourceStatus))
        return Step::Next;
    // A name or a size the target's file system cannot hold (a memory card's) fails as a copy
    // would, but before the question about the file it would replace and before a byte is written.
    if (fileSystem.WouldRefuse(target, sourceStatus->size) != 0)
        return CopyFailed(prompter, source, paired, target, *sourceStatus, outcome);
    // Whatever stands under the name is asked about, a link to nothing too.
    const bool taken = targetStatus || fileSystem.NameTaken(target);
    if (taken) {
        // A card ignores case: the older file may be spelled otherwise. The new one takes over the
        // name the card shows, and an undo gives the older one back under it.
        target = fileSystem.StoredSpelling(target);
        const PromptAnswer answer = prompter.Ask(
            QString::asprintf(strings::kOverwriteQuestion, Shown(source).constData(), Shown(target).constData()),
            PromptButtons::YesNoCancel, PromptIcon::Question);
        if (answer == PromptAnswer::Cancel)
            return Step::Stop;
        if (answer != PromptAnswer::Yes)
            return Step::Next;
    }
    // The file the user agreed to replace is kept in the trash: an overwrite destroys nothing.
    std::optional<FilePath> replaced;
    if (taken)
        replaced = fileSystem.MoveToTrash(target);
    const bool announced = context.journal && !keepSource && (!taken || replaced);
    if (announced)
        context.journal->FileIntent(FileFate::Leaves, context.list, static_cast<int>(index), source);
    const TransferResult transfer =
        taken && !replaced ? TransferResult{EACCES} : TransferFile(fileSystem, source, target, keepSource);
    if (announced && transfer.ok() && !transfer.sourceKept)
        context.journal->FileDone();
    if (!transfer.ok() && replaced && fileSystem.RestoreFromTrash(*replaced, target) == 0)
        replaced.reset();
    if (transfer.ok()) {
        if (transfer.sourceKept)
            outcome.sourcesKept.push_back(source);
        const bool copied = keepSource || transfer.sourceKept;
        if (context.record) {
            using Kind = FileDisposal::Kind;
            context.record->push_back({copied ? Kind::Copied : Kind::Moved, source, target,
                                       fileSystem.Status(target).value_or(FileStatus{}), replaced, context.list,
                                       paired});
            context.record->back().entry = static_cast<int>(index);
        }
        return sidecars.Follow(source, target, copied, taken, paired, context.record) ? Step::Next : Step::Stop;
    }
    return CopyFailed(prompter, source, paired, target, *sourceStatus, outcome);
}

} // namespace

FilePath TargetPathFor(const FilePath& source, const FilePath& folder) {
    const std::size_t slash = source.find_last_of('/');
    const FilePath name = slash == FilePath::npos ? source : source.substr(slash + 1);
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

CopyOrMoveOutcome CopyOrMoveEntries(DisposalContext& context, const FilePathList& entries, const FilePath& folder,
                                    bool keepSource) {
    CopyOrMoveOutcome outcome;
    Sidecars sidecars(context.fileSystem, context.rawEntries, &context.prompter);
    RemoveStaleTemporaries(context.fileSystem, folder);
    ProgressSink* sink = context.sink;
    std::size_t i = 0;
    while (i < entries.size()) {
        if (sink)
            sink->Report(i + 1, entries.size(), entries[i]);
        const bool paired =
            context.rawEntries && context.files && i < context.files->size() && (*context.files)[i].Paired();
        const Step step = HandleEntry(context, i, entries[i], paired, folder, keepSource, outcome, sidecars);
        if (context.returnFiles && !outcome.returned.empty())
            context.returnFiles(std::exchange(outcome.returned, {}));
        ++i;
        // Cancel at the overwrite question gives up the files still waiting; a stop keeps them.
        if (step == Step::Stop)
            i = entries.size();
        else if (sink && sink->StopRequested())
            break;
    }
    outcome.unhandledFrom = i;
    outcome.sidecarsLeft = sidecars.leftBehind();
    return outcome;
}

void ReturnToUnclassified(Board& board, EntryBatch returned) {
    if (returned.empty())
        return;
    const int last = board.List(kUnclassified).Count() + static_cast<int>(returned.size()) - 1;
    board.AppendAndShow(kUnclassified, std::move(returned), last);
}

void ApplyCopyOrMove(Board& board, Prompter& prompter, ListIndex list, CopyOrMoveOutcome outcome) {
    if (list != kUnclassified)
        ReturnToUnclassified(board, std::move(outcome.returned));
    ClassList& disposed = board.List(list);
    {
        const BulkUpdate bulk(disposed);
        const auto from = static_cast<std::ptrdiff_t>(outcome.unhandledFrom);
        const FilePathList& entries = disposed.Entries();
        const std::vector<FileIdentity>& files = disposed.Identities();
        EntryBatch unhandled{FilePathList(entries.begin() + from, entries.end()),
                             std::vector<FileIdentity>(files.begin() + from, files.end())};
        disposed.Clear();
        disposed.RestoreEntries(std::move(unhandled));
        board.ResyncPane(list, 0);
    }
    // Returned files of the unclassified list itself join it only now: none is handled twice.
    if (list == kUnclassified)
        ReturnToUnclassified(board, std::move(outcome.returned));
    if (!outcome.sourcesKept.empty())
        prompter.Ask(NamedFilesMessage(strings::kSourcesKept, outcome.sourcesKept), PromptButtons::Ok,
                     PromptIcon::Exclamation);
    if (!outcome.sidecarsLeft.empty())
        prompter.Ask(NamedFilesMessage(strings::kSidecarsLeft, outcome.sidecarsLeft), PromptButtons::Ok,
                     PromptIcon::Exclamation);
}

void CopyOrMoveFiles(Board& board, DisposalContext& context, ListIndex list, const FilePath& folder, bool keepSource) {
    const std::optional<RawEntries> rawEntries = RawEntries::OfBoardIfPaired(board, list);
    DisposalContext run = context;
    run.list = list;
    if (rawEntries) {
        run.files = &board.List(list).Identities();
        run.rawEntries = &*rawEntries;
    }
    if (list != kUnclassified && !run.returnFiles)
        run.returnFiles = [&board](EntryBatch returned) { ReturnToUnclassified(board, std::move(returned)); };
    if (!run.journal)
        run.journal = board.history().journal();
    run.list = list;
    CopyOrMoveOutcome outcome = CopyOrMoveEntries(run, board.List(list).Entries(), folder, keepSource);
    if (context.sink)
        context.sink->Finish();
    ApplyCopyOrMove(board, context.prompter, list, std::move(outcome));
    board.history().EndFileRun();
}

} // namespace pelldrake
