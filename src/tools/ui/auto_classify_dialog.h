#pragma once

#include "tools/classify_conditions.h"

#include <QDialog>
#include <map>

namespace pelldrake {

// The conditions of a bulk classification. One object lives as long as the board, so what was
// chosen last stays for the next use. Clicking a radio button or check box reads every control
// back before the controls are enabled anew, which is what a later Cancel leaves behind.
class AutoClassifyDialog : public QDialog {
    Q_OBJECT
public:
    explicit AutoClassifyDialog(ClassifyConditions conditions, QWidget* parent = nullptr);

    const ClassifyConditions& conditions() const { return conditions_; }
    QWidget* control(int id) const { return controls_.at(id); }

    // Shows the kept conditions and runs modally; true when confirmed with "実行".
    bool Run();
    void accept() override;

private:
    void ShowConditions();
    void ReadControls();
    void EnableControls();

    ClassifyConditions conditions_;
    std::map<int, QWidget*> controls_;
};

} // namespace pelldrake
