#pragma once

#include "app/settings_file.h"

#include <QDialog>
#include <map>

class QLineEdit;
class QListWidget;

namespace pelldrake {

class Prompter;

// Edits the extension patterns. The list stays in ascending order without regard to case as
// rows are added; a changed row keeps its place. OK saves to the settings file, Cancel nothing.
// Text with a line break or another control character is refused with a message through the
// prompter, as it could not be stored as one line of the settings file.
class ExtensionFilterDialog : public QDialog {
    Q_OBJECT
public:
    explicit ExtensionFilterDialog(SettingsFile settings, QWidget* parent = nullptr, Prompter* prompter = nullptr);

    QLineEdit* edit() const { return edit_; }
    QListWidget* list() const { return list_; }
    QWidget* control(int id) const { return controls_.at(id); }
    QStringList Rows() const;

    void Add();
    void Change();
    void Delete();
    // With text in the edit box it changes a row and stays open; otherwise saves and closes.
    void accept() override;

private:
    // Where a row goes among the sorted rows: after every row that does not sort after it.
    int SortedRowFor(const QString& text) const;
    // False, after telling the user why, for text that cannot be a pattern.
    bool IsStorable(const QString& text);

    SettingsFile settings_;
    Prompter* prompter_ = nullptr;
    std::map<int, QWidget*> controls_;
    QLineEdit* edit_ = nullptr;
    QListWidget* list_ = nullptr;
};

} // namespace pelldrake
