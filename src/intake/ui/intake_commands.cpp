#include "intake/ui/intake_commands.h"

#include "board/board.h"
#include "board/command_table.h"
#include "intake/add_files.h"
#include "intake/extension_filter.h"
#include "intake/scan_folder.h"
#include "intake/ui/extension_filter_dialog.h"
#include "platform/busy_cursor.h"
#include "platform/file_info.h"
#include "platform/prompter.h"
#include "platform/ui/stoppable_progress.h"
#include "platform/worker_run.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "resources/strings.h"

#include <QDir>

namespace pelldrake {

template <typename Work> void IntakeCommands::RunIntake(Work work) {
    RunLock& lock = context_.board.runLock();
    if (lock.Held())
        return;
    const RunLock::Scope running(lock);
    // A scan can meet a tree of any size: the user may stop it, and then nothing of it is kept.
    StoppableProgress progress(context_.progress, context_.dialogParent);
    work(&progress);
    progress.Finish();
}

void IntakeCommands::Register(CommandTable& commands) {
    commands.Add(menu_ids::kAddFiles, [this](int) { AddFilesByDialog(); });
    commands.Add(menu_ids::kAddFolder, [this](int) { AddFolder(); });
    commands.Add(menu_ids::kExtensionFilterDialog, [this](int) { EditExtensionFilter(); });
    commands.Add(menu_ids::kApplyExtensionFilter, [this](int) { ToggleExtensionFilter(); });
}

void IntakeCommands::AddFilesByDialog() {
    if (context_.board.runLock().Held())
        return;
    std::vector<FileTypeEntry> types;
    if (const auto entry = ExtensionFilter::FileDialogEntry(ExtensionFilter::Load(context_.settings)))
        types.push_back({entry->first, entry->second});
    types.push_back({strings::Utf8(strings::kImageFilesEntry), strings::Utf8(strings::kImageFilesPatterns)});
    types.push_back({strings::Utf8(strings::kAllFilesEntry), strings::Utf8(strings::kAllFilesPatterns)});
    std::optional<FilePathList> chosen = context_.prompter.OpenFiles(types);
    if (!chosen || chosen->empty())
        return;
    // The type list already limited the choice: the filter does not apply to picked files.
    RunIntake([&](ProgressSink* progress) {
        AddFiles(context_.board, context_.settings, context_.applyExtensionFilter, std::move(*chosen), kUnclassified,
                 true, kNativePathCase, progress);
    });
}

void IntakeCommands::AddFolder() {
    if (context_.board.runLock().Held())
        return;
    const bool useCurrent = context_.settings.UseCurrentDirectory() != 0;
    if (useCurrent)
        lastAddFolder_ = PathFromQString(QDir::currentPath());
    const std::optional<FilePath> chosen =
        context_.prompter.BrowseForFolder(strings::Utf8(strings::kAddFolderTitle), lastAddFolder_);
    if (!chosen)
        return;
    lastAddFolder_ = *chosen;
    if (useCurrent)
        QDir::setCurrent(PathToQString(lastAddFolder_));
    const bool subfolders = context_.prompter.Ask(strings::Utf8(strings::kSubfolderQuestion), PromptButtons::YesNo,
                                                  PromptIcon::Question) == PromptAnswer::Yes;
    RunIntake([&](ProgressSink* progress) {
        // A tree of a million files takes many seconds to walk and examine: that is done on a
        // thread of its own, the window answering meanwhile, and the list changes once at the end.
        const BusyCursor busy;
        Board& board = context_.board;
        board.CloseGaps();
        std::optional<EntryBatch> added;
        const int first = board.List(kUnclassified).Count();
        RunOffThread(progress, [&](ProgressSink& relay) {
            FilePathList candidates;
            if (ScanFolder(candidates, lastAddFolder_, subfolders, &relay))
                added = ExamineCandidates(board, context_.settings, context_.applyExtensionFilter,
                                          std::move(candidates), false, kNativePathCase, &relay, {lastAddFolder_});
            if (added)
                board.history().PrepareRun(*added, kUnclassified, first);
        });
        if (added)
            board.AppendAndShow(kUnclassified, std::move(*added));
    });
}

void IntakeCommands::EditExtensionFilter() {
    ExtensionFilterDialog dialog(context_.settings, context_.dialogParent, &context_.prompter);
    dialog.exec();
}

void IntakeCommands::ToggleExtensionFilter() {
    context_.applyExtensionFilter = !context_.applyExtensionFilter;
}

void IntakeCommands::Drop(const FilePathList& paths, ListIndex target) {
    RunIntake([&](ProgressSink* progress) { DropInto(paths, target, progress); });
}

void IntakeCommands::DropInto(const FilePathList& paths, ListIndex target, ProgressSink* progress) {
    enum class Subfolders { NotAsked, With, Without };
    Subfolders answer = Subfolders::NotAsked;
    Prompter& prompter = context_.prompter;

    FilePathList candidates;
    // Where the thumbnail-cache rule may act: each scanned folder, and the folder of each file
    // dropped by itself.
    FilePathList chosenFolders;
    for (const FilePath& path : paths) {
        const auto info = StatPath(path);
        if (!info)
            continue;
        if (!info->IsFolder()) {
            candidates.push_back(path);
            const std::size_t slash = path.find_last_of('/');
            chosenFolders.push_back(slash == FilePath::npos ? FilePath(".") : path.substr(0, slash + 1));
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
        if (!ScanFolder(candidates, path, answer == Subfolders::With, progress))
            return;
        chosenFolders.push_back(path);
    }
    if (candidates.empty())
        return;
    if (target != kUnclassified && prompter.Ask(QString::asprintf(strings::kDropListQuestion, target),
                                                PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes)
        target = kUnclassified;
    AddFiles(context_.board, context_.settings, context_.applyExtensionFilter, std::move(candidates), target, false,
             kNativePathCase, progress, chosenFolders);
}

} // namespace pelldrake
