#include "disposal/delete_list_files.h"

#include "disposal/sidecars.h"
#include "platform/busy_cursor.h"
#include "platform/file_info.h"
#include "platform/file_system.h"
#include "resources/disposal_strings.h"
#include "resources/strings.h"

#include <QStringList>

namespace pelldrake {

namespace {
constexpr int kNamesShown = 20;
} // namespace

FilePathList DeleteListFiles(Board& board, FileSystem& fileSystem, ListIndex list, DisposalRecord* record,
                             FilePathList* sidecarsLeft, bool withCompanions) {
    ClassList& disposed = board.List(list);
    FilePathList stayed;
    Sidecars sidecars(fileSystem, withCompanions);
    for (const FilePath& path : disposed.Entries()) {
        const BusyCursor busy;
        const std::optional<FilePath> trashed = fileSystem.MoveToTrash(path);
        if (trashed) {
            if (record)
                record->push_back({FileDisposal::Kind::Trashed, path, *trashed, {}, std::nullopt});
            sidecars.FollowToTrash(path, record);
        } else if (fileSystem.NameTaken(path)) {
            stayed.push_back(path);
        }
    }
    if (sidecarsLeft)
        sidecarsLeft->insert(sidecarsLeft->end(), sidecars.leftBehind().begin(), sidecars.leftBehind().end());
    // What the user sorted and the trash refused is not lost from the board.
    disposed.Clear();
    for (const FilePath& path : stayed)
        disposed.Append(path);
    disposed.UpdateControls();
    board.ResyncPane(list, 0);
    return stayed;
}

FilePathList DeleteAllLists(Board& board, FileSystem& fileSystem, DisposalRecord* record, FilePathList* sidecarsLeft,
                            bool withCompanions) {
    FilePathList stayed;
    for (ListIndex list = 0; list < kListCount; ++list) {
        if (board.List(list).Count() == 0)
            continue;
        for (FilePath& path : DeleteListFiles(board, fileSystem, list, record, sidecarsLeft, withCompanions))
            stayed.push_back(std::move(path));
    }
    return stayed;
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
