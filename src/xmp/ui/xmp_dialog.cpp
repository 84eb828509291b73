#include "xmp/ui/xmp_dialog.h"

#include "resources/control_ids.h"
#include "resources/dialog_units.h"
#include "resources/strings.h"
#include "resources/ui/template_builder.h"
#include "resources/xmp_strings.h"
#include "resources/xmp_template.h"

#include <QAbstractButton>
#include <QComboBox>

namespace pelldrake {

namespace {

// The rating drop-down: "変更しない", "なし", "★1" … "★5", "却下".
constexpr int kRatingNone = 1;
constexpr int kRatingRejected = 7;
// The label drop-down: "変更しない", "なし", then the colours in ColourLabel's order.
constexpr int kLabelNone = 1;

constexpr int kFormIds[] = {xmp_ids::kBaseNameForm, xmp_ids::kFullNameForm, xmp_ids::kBothForms};

QComboBox* Box(const XmpDialog& dialog, int id) {
    return qobject_cast<QComboBox*>(dialog.control(id));
}

} // namespace

XmpDialog::XmpDialog(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& layout = XmpTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    setFont(DialogFont());
    const DialogUnits units(font());
    setFixedSize(units.ToPixels(layout.size));
    controls_ = BuildControls(layout, this, units);

    QComboBox* lists = Box(*this, xmp_ids::kList);
    lists->addItem(strings::Utf8(strings::kXmpListUnclassified));
    for (ListIndex n = 1; n < kListCount; ++n)
        lists->addItem(strings::Utf8(strings::kXmpListClass).arg(n));
    QStringList ratings{strings::Utf8(strings::kXmpKeep), strings::Utf8(strings::kXmpNone)};
    for (int stars = 1; stars <= 5; ++stars)
        ratings << strings::Utf8(strings::kXmpStars).arg(stars);
    ratings << strings::Utf8(strings::kXmpRejected);
    Box(*this, xmp_ids::kRating)->addItems(ratings);
    QStringList labels{strings::Utf8(strings::kXmpKeep), strings::Utf8(strings::kXmpNone)};
    for (const char* colour : strings::kXmpLabels)
        labels << strings::Utf8(colour);
    Box(*this, xmp_ids::kLabel)->addItems(labels);

    // Each list keeps its own choices: moving to another list shows what was chosen for it.
    connect(lists, &QComboBox::activated, this, [this](int list) {
        KeepShown();
        list_ = list;
        ShowKept(list);
    });
    connect(qobject_cast<QAbstractButton*>(control(ids::kOk)), &QAbstractButton::clicked, this, &XmpDialog::accept);
    connect(qobject_cast<QAbstractButton*>(control(ids::kCancel)), &QAbstractButton::clicked, this, &XmpDialog::reject);
}

bool XmpDialog::Run(ListIndex list, SidecarForm form) {
    list_ = list;
    form_ = form;
    Box(*this, xmp_ids::kList)->setCurrentIndex(list);
    ShowKept(list);
    qobject_cast<QAbstractButton*>(control(kFormIds[static_cast<int>(form)]))->setChecked(true);
    control(xmp_ids::kList)->setFocus();
    return exec() == QDialog::Accepted;
}

void XmpDialog::accept() {
    list_ = Box(*this, xmp_ids::kList)->currentIndex();
    KeepShown();
    for (int form = 0; form < 3; ++form) {
        if (qobject_cast<QAbstractButton*>(control(kFormIds[form]))->isChecked())
            form_ = static_cast<SidecarForm>(form);
    }
    QDialog::accept();
}

void XmpDialog::ShowKept(ListIndex list) {
    const Kept& kept = kept_[static_cast<std::size_t>(list)];
    Box(*this, xmp_ids::kRating)->setCurrentIndex(kept.rating);
    Box(*this, xmp_ids::kLabel)->setCurrentIndex(kept.label);
}

void XmpDialog::KeepShown() {
    kept_[static_cast<std::size_t>(list_)] = {Box(*this, xmp_ids::kRating)->currentIndex(),
                                              Box(*this, xmp_ids::kLabel)->currentIndex()};
}

XmpDecision XmpDialog::decision() const {
    const Kept& kept = kept_[static_cast<std::size_t>(list_)];
    XmpDecision decision;
    if (kept.rating == kRatingRejected)
        decision.rating = -1;
    else if (kept.rating >= kRatingNone)
        decision.rating = kept.rating - kRatingNone;
    if (kept.label == kLabelNone)
        decision.label = std::optional<ColourLabel>();
    else if (kept.label > kLabelNone)
        decision.label = static_cast<ColourLabel>(kept.label - kLabelNone - 1);
    return decision;
}

} // namespace pelldrake
