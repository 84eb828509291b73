#include "platform/qt_prompter.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace pelldrake {

namespace {

FilePath Encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

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
    case PromptButtons::YesNoCancel:
        return {{QMessageBox::Yes, PromptAnswer::Yes},
                {QMessageBox::No, PromptAnswer::No},
                {QMessageBox::Cancel, PromptAnswer::Cancel}};
    case PromptButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, PromptAnswer::Abort},
                {QMessageBox::Retry, PromptAnswer::Retry},
                {QMessageBox::Ignore, PromptAnswer::Ignore}};
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

// A question asked while one of the owner's dialogs runs belongs to that dialog.
QWidget* OwnerFor(QWidget* owner) {
    QWidget* modal = QApplication::activeModalWidget();
    return modal && owner && modal != owner && modal->parentWidget() == owner ? modal : owner;
}

} // namespace

QString ApplicationTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

PromptAnswer QtPrompter::Ask(const QString& text, PromptButtons buttons, PromptIcon icon) {
    QMessageBox box(IconFor(icon), ApplicationTitle(),
                    QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), QMessageBox::NoButton,
                    OwnerFor(owner_));
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
    QStringList filters;
    for (const FileTypeEntry& type : types)
        filters << QStringLiteral("%1 (%2)").arg(type.label,
                                                 QString(type.patterns).replace(QLatin1Char(';'), QLatin1Char(' ')));
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
        chosen.push_back(Encoded(file));
    if (chosen.empty())
        return std::nullopt;
    return chosen;
}

std::optional<FilePath> QtPrompter::BrowseForFolder(const QString& title, const FilePath& initialFolder) {
    const QString initial = QFile::decodeName(QByteArray::fromStdString(initialFolder));
    const QString chosen = QFileDialog::getExistingDirectory(OwnerFor(owner_), title, initial);
    if (chosen.isEmpty())
        return std::nullopt;
    return Encoded(chosen);
}

} // namespace pelldrake
