#pragma once

#include "platform/prompter.h"
#include "platform/shell.h"

#include <deque>
#ifdef PELLDRAKE_GTEST
#include <gtest/gtest.h>
#else
#include <QTest>
#endif
#include <vector>

namespace pelldrake::testing {

inline void FailTest(const QString& why) {
#ifdef PELLDRAKE_GTEST
    ADD_FAILURE() << why.toStdString();
#else
    QTest::qFail(qPrintable(why), __FILE__, __LINE__);
#endif
}

// Answers every question from a prepared script and records what was asked.
class ScriptedPrompter : public Prompter {
public:
    struct Question {
        QString text;
        PromptButtons buttons;
        PromptIcon icon;
    };

    PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon) override {
        questions.push_back({text, buttons, icon});
        if (answers.empty()) {
            // A question nobody expected is a fault of the code or of the test.
            FailTest("unscripted question: " + text);
            return PromptAnswer::Cancel;
        }
        const PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<FilePathList> OpenFiles(const std::vector<FileTypeEntry>& types) override {
        fileTypes = types;
        auto result = openFilesAnswer;
        return result;
    }
    std::optional<FilePath> BrowseForFolder(const QString& title, const FilePath& initialFolder) override {
        folderTitles.push_back(title);
        folderInitials.push_back(initialFolder);
        return folderAnswer;
    }

    std::deque<PromptAnswer> answers;
    std::vector<Question> questions;
    std::optional<FilePathList> openFilesAnswer;
    std::vector<FileTypeEntry> fileTypes;
    std::optional<FilePath> folderAnswer;
    std::vector<QString> folderTitles;
    std::vector<FilePath> folderInitials;
};

class RecordingShell : public Shell {
public:
    void OpenFile(const FilePath& path) override { opened.push_back(path); }
    void OpenInBrowser(const FilePath& path) override { browsed.push_back(path); }
    std::vector<FilePath> opened;
    std::vector<FilePath> browsed;
};

} // namespace pelldrake::testing
