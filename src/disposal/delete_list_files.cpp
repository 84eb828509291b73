#include "disposal/delete_list_files.h"

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

FilePathList DeleteListFiles(Board& board, FileSystem& fileSystem, ListIndex list) {
    const BusyCursor busy;
    ClassList& disposed = board.List(list);
    FilePathList stayed;
    for (const FilePath& path : disposed.Entries()) {
        if (!fileSystem.MoveToTrash(path) && fileSystem.Status(path))
            stayed.push_back(path);
    }
    disposed.Clear();
    disposed.UpdateControls();
    board.ResyncPane(list, 0);
    return stayed;
}

FilePathList DeleteAllLists(Board& board, FileSystem& fileSystem) {
    FilePathList stayed;
    for (ListIndex list = 0; list < kListCount; ++list) {
        if (board.List(list).Count() == 0)
            continue;
        for (FilePath& path : DeleteListFiles(board, fileSystem, list))
            stayed.push_back(std::move(path));
    }
    return stayed;
}

QString TrashFailureMessage(const FilePathList& stayed) {
    QStringList lines;
    const int shown = std::min(static_cast<int>(stayed.size()), kNamesShown);
    for (int i = 0; i < shown; ++i)
        lines << PathToQString(stayed[static_cast<std::size_t>(i)]);
    if (static_cast<int>(stayed.size()) > shown)
        lines << strings::Utf8(strings::kTrashFailedMore).arg(static_cast<int>(stayed.size()) - shown);
    return strings::Utf8(strings::kTrashFailed).arg(lines.join(QStringLiteral("\r\n")));
}

} // namespace pelldrake
