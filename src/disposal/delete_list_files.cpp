#include "disposal/delete_list_files.h"

#include "core/progress.h"
#include "disposal/sidecars.h"
#include "platform/file_info.h"
#include "platform/file_system.h"
#include "resources/disposal_strings.h"
#include "resources/strings.h"

#include <QStringList>

namespace pelldrake {

namespace {
constexpr int kNamesShown = 20;
} // namespace

std::vector<ListTrashing> ListsToTrash(Board& board, std::optional<ListIndex> list) {
    std::vector<ListTrashing> lists;
    for (ListIndex i = 0; i < kListCount; ++i) {
        if ((!list || *list == i) && board.List(i).Count() > 0)
            lists.push_back({i, &board.List(i).Entries(), &board.List(i).Identities(), {}, 0});
    }
    return lists;
}

FilePathList TrashEntries(FileSystem& fileSystem, std::vector<ListTrashing>& lists, DisposalRecord* record,
                          const RawEntries* rawEntries, ProgressSink* sink, ListChangeSink* journal) {
    Sidecars sidecars(fileSystem, rawEntries);
    std::size_t total = 0;
    for (const ListTrashing& trashing : lists)
        total += trashing.entries->size();
    std::size_t done = 0;
    bool stopped = false;
    for (ListTrashing& trashing : lists) {
        const FilePathList& entries = *trashing.entries;
        std::size_t i = 0;
        for (; i < entries.size() && !stopped; ++i) {
            const FilePath& path = entries[i];
            if (sink)
                sink->Report(++done, total, path);
            if (journal)
                journal->FileIntent(FileFate::Leaves, trashing.list, static_cast<int>(i), path);
            const std::optional<FilePath> trashed = fileSystem.MoveToTrash(path);
            if (trashed) {
                if (journal)
                    journal->FileDone();
                const bool paired = rawEntries && trashing.files && (*trashing.files)[i].Paired();
                if (record) {
                    record->push_back(
                        {FileDisposal::Kind::Trashed, path, *trashed, {}, std::nullopt, trashing.list, paired});
                    record->back().entry = static_cast<int>(i);
                }
                sidecars.FollowToTrash(path, paired, record);
            } else if (fileSystem.NameTaken(path)) {
                trashing.stayed.push_back(path);
            }
            stopped = sink && sink->StopRequested();
        }
        trashing.unhandledFrom = i;
    }
    return sidecars.leftBehind();
}

FilePathList ApplyTrashing(Board& board, const std::vector<ListTrashing>& lists) {
    FilePathList stayed;
    for (const ListTrashing& trashing : lists) {
        ClassList& disposed = board.List(trashing.list);
        // What the user sorted and the trash refused or a stop spared is not lost from the board,
        // nor the file each entry names. The refused ones are entries in the list's order.
        const FilePathList& entries = *trashing.entries;
        const std::vector<FileIdentity>& files = disposed.Identities();
        EntryBatch kept;
        std::size_t refused = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (i >= trashing.unhandledFrom ||
                (refused < trashing.stayed.size() && entries[i] == trashing.stayed[refused])) {
                if (i < trashing.unhandledFrom)
                    ++refused;
                kept.push_back(entries[i], files[i]);
            }
        }
        stayed.insert(stayed.end(), trashing.stayed.begin(), trashing.stayed.end());
        disposed.Clear();
        disposed.RestoreEntries(std::move(kept));
        disposed.UpdateControls();
        board.ResyncPane(trashing.list, 0);
    }
    return stayed;
}

namespace {

FilePathList DeleteOnThisThread(Board& board, FileSystem& fileSystem, std::optional<ListIndex> list,
                                DisposalRecord* record, FilePathList* sidecarsLeft) {
    std::vector<ListTrashing> lists = ListsToTrash(board, list);
    const std::optional<RawEntries> rawEntries = RawEntries::OfBoardIfPaired(board, list);
    const FilePathList left = TrashEntries(fileSystem, lists, record, rawEntries ? &*rawEntries : nullptr, nullptr,
                                           board.history().journal());
    if (sidecarsLeft)
        sidecarsLeft->insert(sidecarsLeft->end(), left.begin(), left.end());
    FilePathList stayed = ApplyTrashing(board, lists);
    board.history().EndFileRun();
    return stayed;
}

} // namespace

FilePathList DeleteListFiles(Board& board, FileSystem& fileSystem, ListIndex list, DisposalRecord* record,
                             FilePathList* sidecarsLeft) {
    return DeleteOnThisThread(board, fileSystem, list, record, sidecarsLeft);
}

FilePathList DeleteAllLists(Board& board, FileSystem& fileSystem, DisposalRecord* record, FilePathList* sidecarsLeft) {
    return DeleteOnThisThread(board, fileSystem, std::nullopt, record, sidecarsLeft);
}

QString NamedFilesMessage(const char* text, const FilePathList& files) {
    QStringList lines;
    const int shown = std::min(static_cast<int>(files.size()), kNamesShown);
    for (int i = 0; i < shown; ++i)
        lines << PathToQString(files[static_cast<std::size_t>(i)]);
    if (static_cast<int>(files.size()) > shown)
        lines << strings::Utf8(strings::kTrashFailedMore).arg(static_cast<int>(files.size()) - shown);
    return strings::Utf8(text).arg(lines.join(QStringLiteral("\r\n")));
}

QString TrashFailureMessage(const FilePathList& stayed) {
    return NamedFilesMessage(strings::kTrashFailed, stayed);
}

} // namespace pelldrake
