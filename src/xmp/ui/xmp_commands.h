#pragma once

#include "board/command_context.h"
#include "platform/file_system.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace pelldrake {

class Board;
class CommandTable;
class Prompter;
class SettingsFile;
class XmpDialog;

// "XMPに評価を記録": a list's decision, as a rating and a colour label, written into the XMP sidecars
// of its files for the editors to read. Runs like a disposal (off the window's thread, with "中止",
// journaled, undone and redone whole), but the lists stay as they are.
class XmpCommands : public QObject {
    Q_OBJECT
public:
    // shownList says which list the enlarge window shows, or a negative number for none.
    XmpCommands(const CommandContext& context, std::function<int()> shownList);
    ~XmpCommands() override;

    void Run();
    XmpDialog& dialog();
    // Tests put a file system in front of the disk.
    void setFileSystem(FileSystem& fileSystem) { fileSystem_ = &fileSystem; }

private:
    template <typename Work> void OffThread(Work work);

    Board& board_;
    const SettingsFile& settings_;
    Prompter& prompter_;
    QWidget* parent_;
    ProgressSink* progress_;
    std::function<int()> shownList_;
    PosixFileSystem disk_;
    FileSystem* fileSystem_ = &disk_;
    QPointer<XmpDialog> dialog_;
};

void RegisterXmpCommands(CommandTable& commands, const CommandContext& context, std::function<int()> shownList);

} // namespace pelldrake
