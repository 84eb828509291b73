#pragma once

#include "app/settings_file.h"

#include <QDialog>
#include <map>

namespace pelldrake {

// The version box, which also edits the settings that take effect at the next start. OK writes
// all four values; Esc and the close box write nothing.
class InitialSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit InitialSettingsDialog(SettingsFile settings, QWidget* parent = nullptr);

    QWidget* control(int id) const { return controls_.at(id); }
    void accept() override;

private:
    SettingsFile settings_;
    std::map<int, QWidget*> controls_;
};

} // namespace pelldrake
