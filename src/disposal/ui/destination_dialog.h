#pragma once

#include "disposal/destination_fields.h"
#include "disposal/dispose_command.h"
#include "disposal/folder_history.h"

#include <QDialog>
#include <map>

class QComboBox;
class QTabBar;

namespace pelldrake {

class FileSystem;
class Prompter;

// Dialog 108: what to do with a list. The board keeps one for the whole run, so the choices and
// the folder history stay as the user left them until the next time it opens.
class DestinationDialog : public QDialog {
    Q_OBJECT
public:
    DestinationDialog(Prompter& prompter, FileSystem& fileSystem, QWidget* parent = nullptr);

    // Before a run: the list, and the page and action a command asks for.
    void Prepare(ListIndex list, DisposePreset preset);
    // Fills the controls from the fields and the history; Run does this before showing.
    void Initialise();
    int Run();
    DestinationChoice Choice() const;

    const DestinationFields& fields() const { return fields_; }
    const FolderHistory& history() const { return history_; }
    void setFileSystem(FileSystem& fileSystem) { fileSystem_ = &fileSystem; }
    QWidget* control(int id) const;

    void Browse();
    // "実行": the rules of each page; a move is accepted only into an existing folder.
    void accept() override;

private:
    // Fields from the controls, and back.
    void Save();
    void Apply();
    void FillFolderCombo();
    // OK on a move: the folder exists, or was made with the user's leave.
    bool AcceptFolder(const FilePath& folder);

    Prompter& prompter_;
    FileSystem* fileSystem_;
    DestinationFields fields_;
    FolderHistory history_;
    std::map<int, QWidget*> controls_;
    QTabBar* tabs_ = nullptr;
    QComboBox* folderCombo_ = nullptr;
    QComboBox* targetCombo_ = nullptr;
};

} // namespace pelldrake
