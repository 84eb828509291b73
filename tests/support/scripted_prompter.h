#pragma once

#include "platform/prompter.h"
#include "platform/shell.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <deque>
#include <functional>
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
        QString title; // the caption the real prompter would show
        bool underBusyCursor = false;
    };

    PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon) override {
        if (whileAsking)
            whileAsking();
        // Core tests run without an application, and so without a program name to show.
        questions.push_back(
            {text, buttons, icon, QCoreApplication::instance() ? ApplicationTitle() : QString(),
             qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && QGuiApplication::overrideCursor()});
        if (answers.empty()) {
            // A message with only OK needs no answer; a question nobody expected is a fault of
            // the code or of the test.
            if (buttons == PromptButtons::Ok)
                return PromptAnswer::Ok;
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
    PromptAnswer AskTitled(const QString& title, const QString& text, PromptButtons buttons, PromptIcon icon) override {
        const PromptAnswer answer = Ask(text, buttons, icon);
        questions.back().title = title;
        return answer;
    }
    std::optional<FilePath> SaveFileName(const std::vector<FileTypeEntry>& types,
                                         const QString& defaultSuffix) override {
        fileTypes = types;
        fileSuffix = defaultSuffix;
        return saveAnswer;
    }
    std::optional<FilePath> OpenFileName(const std::vector<FileTypeEntry>& types,
                                         const QString& defaultSuffix) override {
        fileTypes = types;
        fileSuffix = defaultSuffix;
        return openAnswer;
    }
    std::optional<FilePath> BrowseForFolder(const QString& title, const FilePath& initialFolder) override {
        folderTitles.push_back(title);
        folderInitials.push_back(initialFolder);
        return folderAnswer;
    }

    // Runs while each question is open, as the event loop of a message box would.
    std::function<void()> whileAsking;
    std::deque<PromptAnswer> answers;
    std::vector<Question> questions;
    std::optional<FilePathList> openFilesAnswer;
    std::vector<FileTypeEntry> fileTypes;
    QString fileSuffix;
    std::optional<FilePath> saveAnswer;
    std::optional<FilePath> openAnswer;
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
