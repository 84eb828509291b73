#include "platform/ui/qt_prompter.h"

#include "platform/file_info.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
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

// A question asked while one of the owner's dialogs runs belongs to that dialog.
QWidget* OwnerFor(QWidget* owner) {
    QWidget* modal = QApplication::activeModalWidget();
    return modal && owner && modal != owner && modal->parentWidget() == owner ? modal : owner;
}

// A question without a Cancel button must be answered: Esc and the close box do nothing.
class QuestionBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool mustAnswer = false;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (mustAnswer && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (mustAnswer) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

} // namespace

QStringList NameFiltersFor(const std::vector<FileTypeEntry>& types) {
    QStringList filters;
    for (const FileTypeEntry& type : types) {
        QStringList patterns = type.patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // Qt reads "*.*" literally, which would hide every name without a dot.
        for (QString& pattern : patterns) {
            if (pattern.trimmed() == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(type.label, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

void ApplyFileTypes(QFileDialog& dialog, const std::vector<FileTypeEntry>& types) {
    const QStringList filters = NameFiltersFor(types);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.front());
    // The labels already name their patterns; the list shows them as the program writes them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
}

namespace {} // namespace

PromptAnswer QtPrompter::Ask(const QString& text, PromptButtons buttons, PromptIcon icon) {
    return AskTitled(ApplicationTitle(), text, buttons, icon);
}

PromptAnswer QtPrompter::AskTitled(const QString& title, const QString& text, PromptButtons buttons, PromptIcon icon) {
    QuestionBox box(IconFor(icon), title, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    QMessageBox::NoButton, OwnerFor(owner_));
    box.mustAnswer = buttons == PromptButtons::YesNo || buttons == PromptButtons::AbortRetryIgnore;
    if (box.mustAnswer)
        box.setWindowFlag(Qt::WindowCloseButtonHint, false);
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
    QFileDialog dialog(owner_);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    ApplyFileTypes(dialog, types);
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
    const QString chosen = QFileDialog::getExistingDirectory(OwnerFor(owner_), title, initial);
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
    // A new dialog each time, so no name is carried over from the last use.
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    ApplyFileTypes(dialog, types);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return PathFromQString(dialog.selectedFiles().front());
}

} // namespace pelldrake
