#pragma once

#include "board/command_context.h"
#include "core/types.h"
#include "disposal/disposal_record.h"
#include "platform/file_system.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QWidget;

namespace pelldrake {

class Board;
class Clipboard;
class CommandTable;
class DestinationDialog;
class ProgressSink;
class Prompter;

// The dispose buttons and menu commands of the board: a list's files moved, copied or trashed,
// or its entries passed on. Lives as a child of the board window, and with it the destination
// dialog and its choices.
class DisposalCommands : public QObject {
    Q_OBJECT
public:
    // progress, when given, shows which file of how many a long copy or move is at.
    DisposalCommands(Board& board, Prompter& prompter, QWidget* boardWindow, ProgressSink* progress = nullptr);
    ~DisposalCommands() override;

    // Any dispose button or menu id of the four ranges.
    void DisposeList(int id);
    void DeleteAll();

    DestinationDialog& dialog();
    // Tests put a file system in front of the disk.
    void setFileSystem(FileSystem& fileSystem);
    // Target "クリップボードへ" hands the list to the clipboard exchange.
    void setClipboardExport(std::function<void(ListIndex)> exportList) { clipboardExport_ = std::move(exportList); }

private:
    // Runs the file work of a disposal on a thread of its own, under the wait cursor and a progress
    // that can stop it.
    template <typename Work> void OffThread(Work work);
    // The list, or with none every list, to the trash; the user is told what stayed.
    void TrashLists(std::optional<ListIndex> list);
    void TellFilesThatStayed(const FilePathList& stayed);
    // Lets the history take the files back with the list.
    void KeepForUndo(DisposalRecord record);

    Board& board_;
    Prompter& prompter_;
    QWidget* boardWindow_;
    ProgressSink* progress_;
    PosixFileSystem disk_;
    FileSystem* fileSystem_ = &disk_;
    QPointer<DestinationDialog> dialog_;
    std::function<void(ListIndex)> clipboardExport_;
};

// Registers the dispose buttons, the menu ranges for moving to a folder, moving to a list, handing
// to the clipboard and deleting, and delete all. Registered after the clipboard's own commands, so
// the clipboard submenu goes through the destination dialog as the buttons do.
DisposalCommands& RegisterDisposalCommands(CommandTable& commands, const CommandContext& context, Clipboard& clipboard);

} // namespace pelldrake
