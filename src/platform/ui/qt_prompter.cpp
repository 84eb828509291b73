#include "platform/ui/qt_prompter.h"

#include "platform/file_info.h"

#include <QFileDialog>
#include <QMessageBox>

namespace pelldrake {

namespace {

struct ButtonChoice {
    QMessageBox::StandardButton button;
    PromptAnswer answer;
};

std::vector<ButtonChoice> ChoicesFor(PromptButtons buttons) {
    switch (buttons) {
    case PromptButtons::Ok:
        return {{QMessageBox::Ok, PromptAnswer::Ok}};
    case PromptButtons::OkCancel:
        return {{QMessageBox::Ok, PromptAnswer::Ok}, {QMessageBox::Cancel, PromptAnswer::Cancel}};
    case PromptButtons::YesNo:
        return {{QMessageBox::Yes, PromptAnswer::Yes}, {QMessageBox::No, PromptAnswer::No}};
    case PromptButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, PromptAnswer::Abort},
                {QMessageBox::Retry, PromptAnswer::Retry},
                {QMessageBox::Ignore, PromptAnswer::Ignore}};
    case PromptButtons::YesNoCancel:
        return {{QMessageBox::Yes, PromptAnswer::Yes},
                {QMessageBox::No, PromptAnswer::No},
                {QMessageBox::Cancel, PromptAnswer::Cancel}};
    }
    return {};
}

QMessageBox::Icon IconFor(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Stop:
        return QMessageBox::Critical;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QStringList NameFilters(const std::vector<FileTypeEntry>& types) {
    QStringList filters;
    for (const FileTypeEntry& type : types)
        filters << QStringLiteral("%1 (%2)").arg(type.label,
                                                 QString(type.patterns).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return filters;
}

} // namespace

PromptAnswer QtPrompter::Ask(const QString& text, PromptButtons buttons, PromptIcon icon) {
    return AskTitled(ApplicationTitle(), text, buttons, icon);
}

PromptAnswer QtPrompter::AskTitled(const QString& title, const QString& text, PromptButtons buttons, PromptIcon icon) {
    QMessageBox box(IconFor(icon), title, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    QMessageBox::NoButton, owner_);
    const std::vector<ButtonChoice> choices = ChoicesFor(buttons);
    for (const ButtonChoice& choice : choices)
        box.addButton(choice.button);
    box.setDefaultButton(choices.front().button);
    if (choices.size() == 1)
        box.setEscapeButton(choices.front().button);
    const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const ButtonChoice& choice : choices) {
        if (choice.button == clicked)
            return choice.answer;
    }
    // Closed without a button: the safest answer the box offers.
    if (buttons == PromptButtons::YesNo)
        return PromptAnswer::No;
    if (buttons == PromptButtons::AbortRetryIgnore)
        return PromptAnswer::Abort;
    return buttons == PromptButtons::OkCancel || buttons == PromptButtons::YesNoCancel ? PromptAnswer::Cancel
                                                                                       : PromptAnswer::Ok;
}

std::optional<FilePathList> QtPrompter::OpenFiles(const std::vector<FileTypeEntry>& types) {
    const QStringList filters = NameFilters(types);
    QFileDialog dialog(owner_);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.front());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    FilePathList chosen;
    for (const QString& file : dialog.selectedFiles())
        chosen.push_back(PathFromQString(file));
    if (chosen.empty())
        return std::nullopt;
    return chosen;
}

std::optional<FilePath> QtPrompter::BrowseForFolder(const QString& title, const FilePath& initialFolder) {
    const QString initial = PathToQString(initialFolder);
    const QString chosen = QFileDialog::getExistingDirectory(owner_, title, initial);
    if (chosen.isEmpty())
        return std::nullopt;
    return PathFromQString(chosen);
}

std::optional<FilePath> QtPrompter::SaveFileName(const std::vector<FileTypeEntry>& types,
                                                 const QString& defaultSuffix) {
    return OneFile(QFileDialog::AcceptSave, types, defaultSuffix);
}

std::optional<FilePath> QtPrompter::OpenFileName(const std::vector<FileTypeEntry>& types,
                                                 const QString& defaultSuffix) {
    return OneFile(QFileDialog::AcceptOpen, types, defaultSuffix);
}

std::optional<FilePath> QtPrompter::OneFile(QFileDialog::AcceptMode mode, const std::vector<FileTypeEntry>& types,
                                            const QString& defaultSuffix) {
    const QStringList filters = NameFilters(types);
    // A new dialog each time, so no name is carried over from the last use.
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.front());
    dialog.setDefaultSuffix(defaultSuffix);
    // The labels already name their patterns; the list shows them as they are.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return PathFromQString(dialog.selectedFiles().front());
}

} // namespace pelldrake
