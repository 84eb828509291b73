#include "intake/ui/extension_filter_dialog.h"

#include "intake/extension_filter.h"
#include "platform/prompter.h"
#include "resources/control_ids.h"
#include "resources/dialog_template.h"
#include "resources/dialog_units.h"
#include "resources/strings.h"
#include "resources/ui/template_builder.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

namespace pelldrake {

namespace {
constexpr int kEditId = 1230;
constexpr int kListId = 1229;
constexpr int kAddId = 1232;
constexpr int kChangeId = 1231;
constexpr int kDeleteId = 1233;
} // namespace

ExtensionFilterDialog::ExtensionFilterDialog(SettingsFile settings, QWidget* parent, Prompter* prompter)
    : QDialog(parent), settings_(std::move(settings)), prompter_(prompter) {
    const DialogTemplate& layout = ExtensionFilterTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    setFont(DialogFont());
    const DialogUnits units(font());
    setFixedSize(units.ToPixels(layout.size));
    controls_ = BuildControls(layout, this, units);
    edit_ = qobject_cast<QLineEdit*>(controls_.at(kEditId));
    list_ = qobject_cast<QListWidget*>(controls_.at(kListId));

    connect(qobject_cast<QAbstractButton*>(controls_.at(kAddId)), &QAbstractButton::clicked, this,
            &ExtensionFilterDialog::Add);
    connect(qobject_cast<QAbstractButton*>(controls_.at(kChangeId)), &QAbstractButton::clicked, this,
            &ExtensionFilterDialog::Change);
    connect(qobject_cast<QAbstractButton*>(controls_.at(kDeleteId)), &QAbstractButton::clicked, this,
            &ExtensionFilterDialog::Delete);
    connect(qobject_cast<QAbstractButton*>(controls_.at(ids::kOk)), &QAbstractButton::clicked, this,
            &ExtensionFilterDialog::accept);
    connect(qobject_cast<QAbstractButton*>(controls_.at(ids::kCancel)), &QAbstractButton::clicked, this,
            &ExtensionFilterDialog::reject);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            edit_->setText(list_->item(row)->text());
    });

    // Sorted as a whole: inserting tens of thousands of rows one by one in order takes minutes.
    // Stable, so equal rows keep the order of the file, as one-by-one insertion after them would.
    QStringList patterns;
    for (const std::string& pattern : ExtensionFilter::Load(settings_))
        patterns << QString::fromUtf8(pattern);
    std::stable_sort(patterns.begin(), patterns.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    list_->addItems(patterns);
    edit_->setFocus();
}

QStringList ExtensionFilterDialog::Rows() const {
    QStringList rows;
    for (int row = 0; row < list_->count(); ++row)
        rows << list_->item(row)->text();
    return rows;
}

int ExtensionFilterDialog::SortedRowFor(const QString& text) const {
    int row = 0;
    while (row < list_->count() && QString::compare(list_->item(row)->text(), text, Qt::CaseInsensitive) <= 0)
        ++row;
    return row;
}

bool ExtensionFilterDialog::IsStorable(const QString& text) {
    const bool control = std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
    if (!control)
        return true;
    if (prompter_)
        prompter_->Ask(strings::Utf8(strings::kPatternControlCharacterRefused), PromptButtons::Ok,
                       PromptIcon::Exclamation);
    return false;
}

void ExtensionFilterDialog::Add() {
    // Taken exactly as typed, even empty; the same pattern may stand twice.
    const QString text = edit_->text();
    if (!IsStorable(text))
        return;
    list_->insertItem(SortedRowFor(text), text);
    edit_->clear();
}

void ExtensionFilterDialog::Change() {
    const QString text = edit_->text();
    if (text.isEmpty() || !IsStorable(text))
        return;
    const int selected = list_->currentItem() && list_->currentItem()->isSelected() ? list_->currentRow() : -1;
    if (selected < 0) {
        Add();
        return;
    }
    list_->item(selected)->setText(text);
    edit_->clear();
}

void ExtensionFilterDialog::Delete() {
    const int selected = list_->currentItem() && list_->currentItem()->isSelected() ? list_->currentRow() : -1;
    if (selected >= 0)
        delete list_->takeItem(selected);
}

void ExtensionFilterDialog::accept() {
    if (!edit_->text().isEmpty()) {
        Change();
        return;
    }
    std::vector<std::string> rows;
    for (const QString& row : Rows())
        rows.push_back(row.toStdString());
    ExtensionFilter::Save(settings_, rows);
    QDialog::accept();
}

} // namespace pelldrake
