#include "disposal/copy_or_move_files.h"

#include "core/progress.h"
#include "disposal/file_transfer.h"
#include "platform/busy_cursor.h"
#include "platform/file_info.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "resources/disposal_strings.h"

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

// One entry of the run; returned files are noted in heldBack when the unclassified list itself
// is being disposed of.
Step HandleEntry(DisposalContext& context, ListIndex list, const FilePath& source, const FilePath& folder,
                 bool keepSource, FilePathList& heldBack) {
    FileSystem& fileSystem = context.fileSystem;
    Prompter& prompter = context.prompter;
    const auto sourceStatus = fileSystem.Status(source);
    if (!sourceStatus) {
        prompter.Ask(QString::asprintf(strings::kSourceMissing, Shown(source).constData()), PromptButtons::Ok,
                     PromptIcon::Stop);
        return Step::Next;
    }
    const FilePath target = TargetPathFor(source, folder);
    if (const auto targetStatus = fileSystem.Status(target)) {
        // Another spelling of the same file (a link, "./", "//"): copying would empty it.
        if (targetStatus->SameFileAs(*sourceStatus))
            return Step::Next;
        const PromptAnswer answer = prompter.Ask(
            QString::asprintf(strings::kOverwriteQuestion, Shown(source).constData(), Shown(target).constData()),
            PromptButtons::YesNoCancel, PromptIcon::Question);
        if (answer == PromptAnswer::Cancel)
            return Step::Stop;
        if (answer != PromptAnswer::Yes)
            return Step::Next;
    }
    if (TransferFile(fileSystem, source, target, keepSource, context.progress).ok())
        return Step::Next;
    const PromptAnswer answer = prompter.Ask(
        QString::asprintf(strings::kCopyFailedQuestion, Shown(source).constData(), Shown(target).constData()),
        PromptButtons::YesNo, PromptIcon::Stop);
    if (answer == PromptAnswer::Yes) {
        if (list == kUnclassified)
            heldBack.push_back(source);
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
    const BusyCursor busy;
    FilePathList heldBack;
    {
        const BulkUpdate bulk(disposed);
        // A returned file joins the unclassified list while it is walked; the walk uses a copy.
        const FilePathList entries = disposed.Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (context.sink)
                context.sink->Report(i + 1, entries.size(), entries[i]);
            const Step step = HandleEntry(context, list, entries[i], folder, keepSource, heldBack);
            context.progress();
            if (step == Step::Stop)
                break;
        }
        if (context.sink)
            context.sink->Finish();
        disposed.Clear();
        board.ResyncPane(list, 0);
    }
    if (heldBack.empty())
        return;
    for (FilePath& source : heldBack)
        disposed.Append(std::move(source));
    disposed.UpdateControls();
    board.ResyncPane(list, disposed.Count() - 1);
}

} // namespace pelldrake
