#pragma once

#include "platform/prompter.h"

// A user who answers Yes to every question and cancels every file dialog, for the drivers that
// run disposals without anybody at the keyboard.
class YesPrompter final : public pelldrake::Prompter {
public:
    using PromptAnswer = pelldrake::PromptAnswer;
    PromptAnswer Ask(const QString&, pelldrake::PromptButtons, pelldrake::PromptIcon) override {
        return PromptAnswer::Yes;
    }
    std::optional<pelldrake::FilePathList> OpenFiles(const std::vector<pelldrake::FileTypeEntry>&) override {
        return std::nullopt;
    }
    std::optional<pelldrake::FilePath> BrowseForFolder(const QString&, const pelldrake::FilePath&) override {
        return std::nullopt;
    }
    PromptAnswer AskTitled(const QString&, const QString&, pelldrake::PromptButtons, pelldrake::PromptIcon) override {
        return PromptAnswer::Yes;
    }
    std::optional<pelldrake::FilePath> SaveFileName(const std::vector<pelldrake::FileTypeEntry>&,
                                                    const QString&) override {
        return std::nullopt;
    }
    std::optional<pelldrake::FilePath> OpenFileName(const std::vector<pelldrake::FileTypeEntry>&,
                                                    const QString&) override {
        return std::nullopt;
    }
};
