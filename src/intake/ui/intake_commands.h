#pragma once

#include "board/board.h"
#include "board/command_context.h"
#include "core/types.h"

namespace pelldrake {

class CommandTable;
class ProgressSink;

// The roads by which files reach the board: the open-file dialog, a folder, a drop, and the
// extension filter that guards them.
class IntakeCommands {
public:
    explicit IntakeCommands(CommandContext context) : context_(context) {}

    void Register(CommandTable& commands);

    void AddFilesByDialog();
    void AddFolder();
    void EditExtensionFilter();
    void ToggleExtensionFilter();
    // Dropped files and folders; a target other than the unclassified list is offered first.
    void Drop(const FilePathList& paths, ListIndex target);
    // Files and folders handed over from outside (the command line, a file manager's "open
    // with"): taken in as a drop on the unclassified list, with the same filter and questions.
    void TakeIn(const FilePathList& paths) { Drop(paths, kUnclassified); }

    const FilePath& lastAddFolder() const { return lastAddFolder_; }
    // A run holds the board (an intake, a disposal, a load: its progress lets the window repaint).
    bool running() const { return context_.board.runLock().Held(); }

private:
    // Runs one intake with the window's progress and the board's run lock, unless another run
    // holds the lock (a drop can arrive while the window repaints during a run).
    template <typename Work> void RunIntake(Work work);
    void DropInto(const FilePathList& paths, ListIndex target, ProgressSink* progress);

    CommandContext context_;
    FilePath lastAddFolder_;
};

} // namespace pelldrake
