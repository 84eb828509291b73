#include "intake/intake_commands.h"

#include "board/classify_board_dialog.h"
#include "intake/add_files.h"
#include "intake/extension_filter.h"
#include "intake/extension_filter_dialog.h"
#include "intake/scan_folder.h"
#include "platform/prompter.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "resources/strings.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <sys/stat.h>

namespace pelldrake {

IntakeCommands::IntakeCommands(ClassifyBoardDialog& board) : board_(board) {
    CommandTable& commands = board_.commands();
    commands.Add(menu_ids::kAddFiles, [this](int) { AddFilesByDialog(); });
    commands.Add(menu_ids::kAddFolder, [this](int) { AddFolder(); });
    commands.Add(menu_ids::kExtensionFilterDialog, [this](int) { EditExtensionFilter(); });
    commands.Add(menu_ids::kApplyExtensionFilter, [this](int) { ToggleExtensionFilter(); });
    board_.setDropHandler([this](const FilePathList& paths, const QPoint& at) { Drop(paths, at); });
}

void IntakeCommands::AddFilesByDialog() {
    std::vector<FileTypeEntry> types;
    if (const auto entry = ExtensionFilter::FileDialogEntry(ExtensionFilter::Load(board_.settings())))
        types.push_back({entry->first, entry->second});
    types.push_back({strings::Utf8(strings::kImageFilesEntry), strings::Utf8(strings::kImageFilesPatterns)});
    types.push_back({strings::Utf8(strings::kAllFilesEntry), strings::Utf8(strings::kAllFilesPatterns)});
    std::optional<FilePathList> chosen = board_.prompter().OpenFiles(types);
    if (!chosen || chosen->empty())
        return;
    // The type list already limited the choice: the filter does not apply to picked files.
    AddFiles(board_.board(), board_.settings(), board_.applyExtensionFilter(), std::move(*chosen), kUnclassified, true);
}

void IntakeCommands::AddFolder() {
    const bool useCurrent = board_.settings().UseCurrentDirectory() != 0;
    if (useCurrent)
        lastAddFolder_ = QFile::encodeName(QDir::currentPath()).toStdString();
    const std::optional<FilePath> chosen =
        board_.prompter().BrowseForFolder(strings::Utf8(strings::kAddFolderTitle), lastAddFolder_);
    if (!chosen)
        return;
    lastAddFolder_ = *chosen;
    if (useCurrent)
        QDir::setCurrent(QFile::decodeName(QByteArray::fromStdString(lastAddFolder_)));
    const bool subfolders = board_.prompter().Ask(strings::Utf8(strings::kSubfolderQuestion), PromptButtons::YesNo,
                                                  PromptIcon::Question) == PromptAnswer::Yes;
    FilePathList candidates;
    ScanFolder(candidates, lastAddFolder_, subfolders);
    AddFiles(board_.board(), board_.settings(), board_.applyExtensionFilter(), std::move(candidates), kUnclassified,
             false);
}

void IntakeCommands::EditExtensionFilter() {
    ExtensionFilterDialog dialog(board_.settings(), &board_, &board_.prompter());
    dialog.exec();
}

void IntakeCommands::ToggleExtensionFilter() {
    board_.setApplyExtensionFilter(!board_.applyExtensionFilter());
}

ListIndex IntakeCommands::ListAt(const QPoint& screenPosition) const {
    for (ListIndex list = 0; list < kListCount; ++list) {
        const QGroupBox* frame = board_.groupBox(list);
        if (QRect(frame->mapToGlobal(QPoint(0, 0)), frame->size()).contains(screenPosition))
            return list;
    }
    return kUnclassified;
}

void IntakeCommands::Drop(const FilePathList& paths, const QPoint& screenPosition) {
    ListIndex target = ListAt(screenPosition);
    enum class Subfolders { NotAsked, With, Without };
    Subfolders answer = Subfolders::NotAsked;
    Prompter& prompter = board_.prompter();

    FilePathList candidates;
    for (const FilePath& path : paths) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            continue;
        if (!S_ISDIR(info.st_mode)) {
            candidates.push_back(path);
            continue;
        }
        if (answer == Subfolders::NotAsked) {
            // A No here skips only this folder; the next dropped folder asks again.
            if (prompter.Ask(strings::Utf8(strings::kDroppedFolderQuestion), PromptButtons::YesNo,
                             PromptIcon::Question) != PromptAnswer::Yes)
                continue;
            answer = prompter.Ask(strings::Utf8(strings::kDroppedSubfolderQuestion), PromptButtons::YesNo,
                                  PromptIcon::Question) == PromptAnswer::Yes
                         ? Subfolders::With
                         : Subfolders::Without;
        }
        ScanFolder(candidates, path, answer == Subfolders::With);
    }
    if (candidates.empty())
        return;
    if (target != kUnclassified && prompter.Ask(QString::asprintf(strings::kDropListQuestion, target),
                                                PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes)
        target = kUnclassified;
    AddFiles(board_.board(), board_.settings(), board_.applyExtensionFilter(), std::move(candidates), target, false);
}

} // namespace pelldrake
