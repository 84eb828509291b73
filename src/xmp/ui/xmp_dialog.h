#pragma once

#include "core/types.h"
#include "xmp/xmp_decision.h"

#include <QDialog>
#include <array>
#include <map>

namespace pelldrake {

// Asks which list's decision goes into which sidecars. One object lives as long as the board, so
// the rating and label last chosen for each list come back when that list is chosen again.
class XmpDialog : public QDialog {
    Q_OBJECT
public:
    explicit XmpDialog(QWidget* parent = nullptr);

    QWidget* control(int id) const { return controls_.at(id); }

    // Shows list with what was chosen for it last, and form; true when confirmed with "実行".
    bool Run(ListIndex list, SidecarForm form);
    void accept() override;

    ListIndex list() const { return list_; }
    SidecarForm form() const { return form_; }
    XmpDecision decision() const;

private:
    // The rating's and the label's place in their drop-downs, 0 "変更しない".
    struct Kept {
        int rating = 0;
        int label = 0;
    };
    void ShowKept(ListIndex list);
    void KeepShown();

    std::map<int, QWidget*> controls_;
    std::array<Kept, kListCount> kept_{};
    ListIndex list_ = kUnclassified;
    SidecarForm form_ = SidecarForm::BaseName;
};

} // namespace pelldrake
