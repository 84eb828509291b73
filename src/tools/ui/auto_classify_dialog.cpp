#include "tools/ui/auto_classify_dialog.h"

#include "platform/file_info.h"
#include "resources/control_ids.h"
#include "resources/dialog_units.h"
#include "resources/side_dialog_templates.h"
#include "resources/strings.h"
#include "resources/ui/template_builder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>

namespace pelldrake {

namespace {

// The controls whose click reads the dialog back and enables its controls anew.
constexpr int kRuleClicks[] = {ids::kFromAllLists, ids::kFromOneList,    ids::kToUnclassified, ids::kToChosenList,
                               ids::kNameFilterOn, ids::kLowerBoundOn,   ids::kUpperBoundOn,   ids::kFromDateOn,
                               ids::kUntilDateOn,  ids::kRatingFilterOn, ids::kLabelFilterOn};

QStringList ListChoices() {
    QStringList choices{strings::Utf8(strings::kUnclassifiedChoice)};
    for (ListIndex n = 1; n < kListCount; ++n)
        choices << QString::asprintf(strings::kClassListChoice, n);
    return choices;
}

template <std::size_t N> QStringList Choices(const char* const (&texts)[N]) {
    QStringList choices;
    for (const char* text : texts)
        choices << strings::Utf8(text);
    return choices;
}

} // namespace

AutoClassifyDialog::AutoClassifyDialog(ClassifyConditions conditions, QWidget* parent)
    : QDialog(parent), conditions_(std::move(conditions)) {
    const DialogTemplate& layout = AutoClassifyTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    setFont(DialogFont());
    const DialogUnits units(font());
    setFixedSize(units.ToPixels(layout.size));
    controls_ = BuildControls(layout, this, units);

    const QStringList lists = ListChoices();
    qobject_cast<QComboBox*>(control(ids::kSourceList))->addItems(lists);
    auto* target = qobject_cast<QComboBox*>(control(ids::kTargetList));
    target->addItems(lists);
    target->addItem(strings::Utf8(strings::kExcludeChoice));
    qobject_cast<QComboBox*>(control(ids::kRatingFilter))->addItems(Choices(strings::kRatingChoices));
    qobject_cast<QComboBox*>(control(ids::kLabelFilter))->addItems(Choices(strings::kLabelChoices));

    for (int id : kRuleClicks) {
        connect(qobject_cast<QAbstractButton*>(control(id)), &QAbstractButton::clicked, this, [this] {
            ReadControls();
            EnableControls();
        });
    }
    connect(qobject_cast<QAbstractButton*>(control(ids::kOk)), &QAbstractButton::clicked, this,
            &AutoClassifyDialog::accept);
    connect(qobject_cast<QAbstractButton*>(control(ids::kCancel)), &QAbstractButton::clicked, this,
            &AutoClassifyDialog::reject);
}

bool AutoClassifyDialog::Run() {
    ShowConditions();
    EnableControls();
    return exec() == QDialog::Accepted;
}

void AutoClassifyDialog::accept() {
    ReadControls();
    QDialog::accept();
}

void AutoClassifyDialog::ShowConditions() {
    auto check = [this](int id, bool on) { qobject_cast<QAbstractButton*>(control(id))->setChecked(on); };
    auto text = [this](int id, const std::string& value) {
        qobject_cast<QLineEdit*>(control(id))->setText(PathToQString(value));
    };
    auto date = [this](int id, const QDateTime& value) {
        qobject_cast<QDateEdit*>(control(id))->setDate(value.date());
    };
    const ClassifyConditions& c = conditions_;
    check(c.sourceMode == ClassifyConditions::kOneList ? ids::kFromOneList : ids::kFromAllLists, true);
    qobject_cast<QComboBox*>(control(ids::kSourceList))->setCurrentIndex(c.sourceList);
    check(c.targetMode == ClassifyConditions::kToChosen ? ids::kToChosenList : ids::kToUnclassified, true);
    qobject_cast<QComboBox*>(control(ids::kTargetList))->setCurrentIndex(c.targetChoice);
    check(ids::kNameFilterOn, c.nameFilterOn);
    text(ids::kNameFilter, c.nameFilter);
    check(ids::kLowerBoundOn, c.lowerBoundOn);
    text(ids::kLowerBound, c.lowerBound);
    check(ids::kUpperBoundOn, c.upperBoundOn);
    text(ids::kUpperBound, c.upperBound);
    check(ids::kFromDateOn, c.fromDateOn);
    date(ids::kFromDate, c.fromDate);
    check(ids::kUntilDateOn, c.untilDateOn);
    date(ids::kUntilDate, c.untilDate);
    check(ids::kRatingFilterOn, c.ratingOn);
    qobject_cast<QComboBox*>(control(ids::kRatingFilter))->setCurrentIndex(c.ratingChoice);
    check(ids::kLabelFilterOn, c.labelOn);
    qobject_cast<QComboBox*>(control(ids::kLabelFilter))->setCurrentIndex(c.labelChoice);
}

void AutoClassifyDialog::ReadControls() {
    auto checked = [this](int id) { return qobject_cast<QAbstractButton*>(control(id))->isChecked(); };
    auto text = [this](int id) { return PathFromQString(qobject_cast<QLineEdit*>(control(id))->text()); };
    // The pickers show a day; the time of day the value came with stays.
    auto date = [this](int id, const QDateTime& kept) {
        return QDateTime(qobject_cast<QDateEdit*>(control(id))->date(), kept.time());
    };
    ClassifyConditions& c = conditions_;
    c.sourceMode = checked(ids::kFromOneList) ? ClassifyConditions::kOneList : ClassifyConditions::kAllLists;
    c.sourceList = qobject_cast<QComboBox*>(control(ids::kSourceList))->currentIndex();
    c.targetMode = checked(ids::kToChosenList) ? ClassifyConditions::kToChosen : ClassifyConditions::kToUnclassified;
    c.targetChoice = qobject_cast<QComboBox*>(control(ids::kTargetList))->currentIndex();
    c.nameFilterOn = checked(ids::kNameFilterOn);
    c.nameFilter = text(ids::kNameFilter);
    c.lowerBoundOn = checked(ids::kLowerBoundOn);
    c.lowerBound = text(ids::kLowerBound);
    c.upperBoundOn = checked(ids::kUpperBoundOn);
    c.upperBound = text(ids::kUpperBound);
    c.fromDateOn = checked(ids::kFromDateOn);
    c.fromDate = date(ids::kFromDate, c.fromDate);
    c.untilDateOn = checked(ids::kUntilDateOn);
    c.untilDate = date(ids::kUntilDate, c.untilDate);
    c.ratingOn = checked(ids::kRatingFilterOn);
    c.ratingChoice = qobject_cast<QComboBox*>(control(ids::kRatingFilter))->currentIndex();
    c.labelOn = checked(ids::kLabelFilterOn);
    c.labelChoice = qobject_cast<QComboBox*>(control(ids::kLabelFilter))->currentIndex();
}

void AutoClassifyDialog::EnableControls() {
    const ClassifyConditions& c = conditions_;
    control(ids::kNameFilter)->setEnabled(c.nameFilterOn);
    control(ids::kLowerBound)->setEnabled(c.lowerBoundOn);
    control(ids::kUpperBound)->setEnabled(c.upperBoundOn);
    control(ids::kFromDate)->setEnabled(c.fromDateOn);
    control(ids::kUntilDate)->setEnabled(c.untilDateOn);
    control(ids::kRatingFilter)->setEnabled(c.ratingOn);
    control(ids::kLabelFilter)->setEnabled(c.labelOn);
    control(ids::kTargetList)->setEnabled(c.targetMode == ClassifyConditions::kToChosen);
    control(ids::kSourceList)->setEnabled(c.sourceMode == ClassifyConditions::kOneList);
}

} // namespace pelldrake
