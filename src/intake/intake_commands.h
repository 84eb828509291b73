#pragma once

#include "board/list_index.h"

#include <QPoint>

namespace pelldrake {

class ClassifyBoardDialog;

// The roads by which files reach the board: the open-file dialog, a folder, a drop, and the
// extension filter that guards them. Plugs its commands into the board's command table.
class IntakeCommands {
public:
    explicit IntakeCommands(ClassifyBoardDialog& board);

    void AddFilesByDialog();
    void AddFolder();
    void EditExtensionFilter();
    void ToggleExtensionFilter();
    // Dropped files and folders; the pane under the screen point may become the target.
    void Drop(const FilePathList& paths, const QPoint& screenPosition);

    // The list whose pane frame holds the screen point, the unclassified list first; 0 elsewhere.
    ListIndex ListAt(const QPoint& screenPosition) const;
    const FilePath& lastAddFolder() const { return lastAddFolder_; }

private:
    ClassifyBoardDialog& board_;
    FilePath lastAddFolder_;
};

} // namespace pelldrake
