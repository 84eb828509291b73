#include "disposal/ui/destination_dialog.h"

#include "disposal/create_folder_path.h"
#include "platform/file_info.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "resources/control_ids.h"
#include "resources/destination_template.h"
#include "resources/dialog_units.h"
#include "resources/disposal_strings.h"
#include "resources/strings.h"
#include "resources/ui/template_builder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <cerrno>
#include <cstring>

namespace pelldrake {

namespace {

using namespace destination_ids;

QString Shown(const FilePath& path) {
    return PathToQString(path);
}

QString ReasonText(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return strings::Utf8(strings::kReasonNoPermission);
    case EROFS:
        return strings::Utf8(strings::kReasonReadOnly);
    case ENOSPC:
    case EDQUOT:
        return strings::Utf8(strings::kReasonDiskFull);
    case ENAMETOOLONG:
        return strings::Utf8(strings::kReasonNameTooLong);
    case ENOTDIR:
    case EEXIST:
        return strings::Utf8(strings::kReasonNotFolder);
    case EINVAL:
    case EILSEQ:
        return strings::Utf8(strings::kReasonInvalidName);
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

DestinationDialog::DestinationDialog(Prompter& prompter, FileSystem& fileSystem, QWidget* parent)
    : QDialog(parent), prompter_(prompter), fileSystem_(&fileSystem) {
    const DialogTemplate& layout = DestinationTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    setFont(DialogFont());
    const DialogUnits units(font());
    setFixedSize(units.ToPixels(layout.size));
    controls_ = BuildControls(layout, this, units);
    tabs_ = qobject_cast<QTabBar*>(control(kTabs));
    folderCombo_ = qobject_cast<QComboBox*>(control(kFolder));
    targetCombo_ = qobject_cast<QComboBox*>(control(kTarget));

    tabs_->addTab(strings::Utf8(strings::kFilesPage));
    tabs_->addTab(strings::Utf8(strings::kEntriesPage));
    for (const QString& item : TargetItems())
        targetCombo_->addItem(item);

    connect(tabs_, &QTabBar::currentChanged, this, [this] {
        Save();
        Apply();
    });
    for (int id : {kDelete, kMove, kReset, kClipboard, kMoveToList}) {
        connect(qobject_cast<QAbstractButton*>(control(id)), &QAbstractButton::clicked, this, [this] {
            Save();
            Apply();
        });
    }
    connect(qobject_cast<QAbstractButton*>(control(kBrowse)), &QAbstractButton::clicked, this,
            &DestinationDialog::Browse);
    connect(qobject_cast<QAbstractButton*>(control(ids::kOk)), &QAbstractButton::clicked, this,
            &DestinationDialog::accept);
    connect(qobject_cast<QAbstractButton*>(control(ids::kCancel)), &QAbstractButton::clicked, this,
            &DestinationDialog::reject);
}

QWidget* DestinationDialog::control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void DestinationDialog::Prepare(ListIndex list, DisposePreset preset) {
    fields_.list = list;
    switch (preset) {
    case DisposePreset::None:
        break;
    case DisposePreset::MoveFiles:
        fields_.page = DestinationPage::Files;
        fields_.fileAction = FileAction::Move;
        break;
    case DisposePreset::DeleteFiles:
        fields_.page = DestinationPage::Files;
        fields_.fileAction = FileAction::Delete;
        break;
    case DisposePreset::MoveEntries:
        fields_.page = DestinationPage::Entries;
        fields_.listAction = ListAction::MoveToList;
        break;
    case DisposePreset::Clipboard:
        fields_.page = DestinationPage::Entries;
        fields_.listAction = ListAction::Clipboard;
        break;
    }
}

void DestinationDialog::Initialise() {
    setWindowTitle(DestinationTitle(fields_.list));
    FillFolderCombo();
    Apply();
}

int DestinationDialog::Run() {
    Initialise();
    return exec();
}

DestinationChoice DestinationDialog::Choice() const {
    return {fields_.page, fields_.folder, fields_.keepSource, fields_.target};
}

void DestinationDialog::FillFolderCombo() {
    folderCombo_->clear();
    for (const FilePath& folder : history_.ComboItems())
        folderCombo_->addItem(Shown(folder));
    folderCombo_->setCurrentIndex(folderCombo_->count() > 0 ? 0 : -1);
    if (folderCombo_->count() == 0)
        folderCombo_->setEditText(QString());
}

void DestinationDialog::Save() {
    fields_.page = static_cast<DestinationPage>(tabs_->currentIndex());
    auto checked = [this](int id) { return qobject_cast<QAbstractButton*>(control(id))->isChecked(); };
    fields_.fileAction = checked(kDelete) ? FileAction::Delete : FileAction::Move;
    fields_.listAction = checked(kReset)       ? ListAction::Reset
                         : checked(kClipboard) ? ListAction::Clipboard
                                               : ListAction::MoveToList;
    fields_.keepSource = checked(kKeepSource);
    fields_.target = targetCombo_->currentIndex();
}

void DestinationDialog::Apply() {
    {
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentIndex(static_cast<int>(fields_.page));
    }
    for (const ControlState& state : DestinationControlStates(fields_)) {
        QWidget* widget = control(state.id);
        widget->setVisible(state.visible);
        widget->setEnabled(state.enabled);
    }
    auto check = [this](int id, bool on) { qobject_cast<QAbstractButton*>(control(id))->setChecked(on); };
    check(fields_.fileAction == FileAction::Delete ? kDelete : kMove, true);
    check(fields_.listAction == ListAction::Reset       ? kReset
          : fields_.listAction == ListAction::Clipboard ? kClipboard
                                                        : kMoveToList,
          true);
    check(kKeepSource, fields_.keepSource);
    targetCombo_->setCurrentIndex(fields_.target);
}

void DestinationDialog::Browse() {
    Save();
    const FilePath start = PathFromQString(folderCombo_->currentText());
    const std::optional<FilePath> chosen = prompter_.BrowseForFolder(QString(), start);
    if (!chosen)
        return;
    folderCombo_->setEditText(Shown(*chosen));
    folderCombo_->setFocus();
    folderCombo_->lineEdit()->selectAll();
}

void DestinationDialog::accept() {
    Save();
    if (fields_.page == DestinationPage::Entries) {
        fields_.target = EntriesTarget(fields_.listAction, fields_.target);
        QDialog::accept();
        return;
    }
    if (fields_.fileAction == FileAction::Delete) {
        fields_.folder.clear();
        QDialog::accept();
        return;
    }
    const FilePath folder = PathFromQString(folderCombo_->currentText().trimmed());
    if (folder.empty())
        return;
    history_.Append(folder);
    if (!AcceptFolder(folder))
        return;
    Save();
    fields_.folder = folder;
    QDialog::accept();
}

bool DestinationDialog::AcceptFolder(const FilePath& folder) {
    bool asked = false;
    for (;;) {
        if (const auto status = fileSystem_->Status(folder)) {
            if (status->isFolder)
                return true;
            prompter_.Ask(strings::Utf8(strings::kPathIsFile), PromptButtons::Ok, PromptIcon::Stop);
            return false;
        }
        // Asked once per press: a second round means the folder could not be made after all.
        if (asked || prompter_.Ask(strings::Utf8(strings::kCreateFolderQuestion), PromptButtons::YesNo,
                                   PromptIcon::Question) != PromptAnswer::Yes)
            return false;
        asked = true;
        const CreateFolderResult made = CreateFolderPath(*fileSystem_, folder);
        if (!made.ok()) {
            prompter_.Ask(strings::Utf8(strings::kCreateFolderFailed).arg(Shown(made.failedAt), ReasonText(made.error)),
                          PromptButtons::Ok, PromptIcon::Stop);
            return false;
        }
    }
}

} // namespace pelldrake
