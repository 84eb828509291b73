#pragma once

#include "platform/prompter.h"

namespace pelldrake {

// The prompter of work run off the user-interface thread: each question is asked on that thread,
// the work waiting for the answer, so that the questions come in the work's order and every
// dialog stays on the thread that owns the windows. The wait cursor of the run is lifted while
// the user is asked.
class UiThreadPrompter final : public Prompter {
public:
    explicit UiThreadPrompter(Prompter& inner) : inner_(inner) {}

    PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon) override;
    std::optional<FilePathList> OpenFiles(const std::vector<FileTypeEntry>& types) override;
    std::optional<FilePath> BrowseForFolder(const QString& title, const FilePath& initialFolder) override;
    PromptAnswer AskTitled(const QString& title, const QString& text, PromptButtons buttons, PromptIcon icon) override;
    std::optional<FilePath> SaveFileName(const std::vector<FileTypeEntry>& types,
                                         const QString& defaultSuffix) override;
    std::optional<FilePath> OpenFileName(const std::vector<FileTypeEntry>& types,
                                         const QString& defaultSuffix) override;

private:
    template <typename Question> auto Asked(Question question);

    Prompter& inner_;
};

} // namespace pelldrake
