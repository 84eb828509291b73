#pragma once

#include "platform/prompter.h"

#include <QFileDialog>
#include <QPointer>
#include <QWidget>

namespace pelldrake {

// A file dialog's type list: "label (patterns)", where "*.*" means every file.
QStringList NameFiltersFor(const std::vector<FileTypeEntry>& types);
// The type list on a dialog, the first type chosen, the labels shown as written.
void ApplyFileTypes(QFileDialog& dialog, const std::vector<FileTypeEntry>& types);

// Real message boxes and file dialogs, owned by one window.
class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon) override;
    std::optional<FilePathList> OpenFiles(const std::vector<FileTypeEntry>& types) override;
    std::optional<FilePath> BrowseForFolder(const QString& title, const FilePath& initialFolder) override;
    PromptAnswer AskTitled(const QString& title, const QString& text, PromptButtons buttons, PromptIcon icon) override;
    std::optional<FilePath> SaveFileName(const std::vector<FileTypeEntry>& types,
                                         const QString& defaultSuffix) override;
    std::optional<FilePath> OpenFileName(const std::vector<FileTypeEntry>& types,
                                         const QString& defaultSuffix) override;

private:
    std::optional<FilePath> OneFile(QFileDialog::AcceptMode mode, const std::vector<FileTypeEntry>& types,
                                    const QString& defaultSuffix);

    QPointer<QWidget> owner_;
};

} // namespace pelldrake
