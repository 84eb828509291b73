#include "platform/ui_thread_prompter.h"

#include "platform/busy_cursor.h"
#include "platform/worker_run.h"

namespace pelldrake {

template <typename Question> auto UiThreadPrompter::Asked(Question question) {
    decltype(question()) answer{};
    AskOnUserInterfaceThread([&] {
        const BusyCursorLifted lifted;
        answer = question();
    });
    return answer;
}

PromptAnswer UiThreadPrompter::Ask(const QString& text, PromptButtons buttons, PromptIcon icon) {
    return Asked([&] { return inner_.Ask(text, buttons, icon); });
}

std::optional<FilePathList> UiThreadPrompter::OpenFiles(const std::vector<FileTypeEntry>& types) {
    return Asked([&] { return inner_.OpenFiles(types); });
}

std::optional<FilePath> UiThreadPrompter::BrowseForFolder(const QString& title, const FilePath& initialFolder) {
    return Asked([&] { return inner_.BrowseForFolder(title, initialFolder); });
}

PromptAnswer UiThreadPrompter::AskTitled(const QString& title, const QString& text, PromptButtons buttons,
                                         PromptIcon icon) {
    return Asked([&] { return inner_.AskTitled(title, text, buttons, icon); });
}

std::optional<FilePath> UiThreadPrompter::SaveFileName(const std::vector<FileTypeEntry>& types,
                                                       const QString& defaultSuffix) {
    return Asked([&] { return inner_.SaveFileName(types, defaultSuffix); });
}

std::optional<FilePath> UiThreadPrompter::OpenFileName(const std::vector<FileTypeEntry>& types,
                                                       const QString& defaultSuffix) {
    return Asked([&] { return inner_.OpenFileName(types, defaultSuffix); });
}

} // namespace pelldrake
