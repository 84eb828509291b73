#pragma once

#include "board/list_index.h"

#include <QString>
#include <optional>
#include <vector>

namespace pelldrake {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore };
enum class PromptIcon { None, Stop, Exclamation, Question, Information };
enum class PromptAnswer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

// One entry of a file dialog's type list: a label and patterns joined by ";".
struct FileTypeEntry {
    QString label;
    QString patterns;
};

// Everything that asks the user something. The program shows real dialogs; tests answer
// from a script and read back what was asked.
class Prompter {
public:
    virtual ~Prompter() = default;

    // A message box captioned with the program's name; the first button is the default.
    virtual PromptAnswer Ask(const QString& text, PromptButtons buttons, PromptIcon icon) = 0;

    // Existing files, several at once; nullopt on cancel. The first type is preselected.
    virtual std::optional<FilePathList> OpenFiles(const std::vector<FileTypeEntry>& types) = 0;

    // A folder, starting at initialFolder when it names one; nullopt on cancel.
    virtual std::optional<FilePath> BrowseForFolder(const QString& title, const FilePath& initialFolder) = 0;
};

// The caption of every message box: the executable's file name without its extension.
QString ApplicationTitle();

} // namespace pelldrake
