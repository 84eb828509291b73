#include "app/ui/initial_settings_dialog.h"

#include "resources/app_icon.h"
#include "resources/control_ids.h"
#include "resources/dialog_units.h"
#include "resources/side_dialog_templates.h"
#include "resources/ui/template_builder.h"

#include <QAbstractButton>
#include <QCheckBox>

namespace pelldrake {

namespace {

constexpr int kLayoutCount = 3;

int LayoutRadio(int layout) {
    return ids::kSmallLayout + layout;
}

} // namespace

InitialSettingsDialog::InitialSettingsDialog(SettingsFile settings, QWidget* parent)
    : QDialog(parent), settings_(std::move(settings)) {
    const DialogTemplate& layout = InitialSettingsTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    setWindowIcon(AppIcon());
    setFont(DialogFont());
    const DialogUnits units(font());
    setFixedSize(units.ToPixels(layout.size));
    controls_ = BuildControls(layout, this, units);
    // Shows the stored value only: deleting thumbnail caches is switched in the settings file.
    control(ids::kDeleteThumbDb)->setEnabled(false);
    connect(qobject_cast<QAbstractButton*>(control(ids::kOk)), &QAbstractButton::clicked, this,
            &InitialSettingsDialog::accept);

    const int useCurrent = settings_.UseCurrentDirectory();
    const int mode = settings_.DialogMode();
    const int useBrowser = settings_.UseBrowser();
    const int deleteThumbDb = settings_.DeleteThumbDb();
    // Only 1 ticks a box; anything else shows as not ticked and is written back as 0.
    auto tick = [this](int id, int value) { qobject_cast<QAbstractButton*>(control(id))->setChecked(value == 1); };
    tick(ids::kUseCurrentDirectory, useCurrent);
    tick(ids::kUseBrowser, useBrowser);
    tick(ids::kDeleteThumbDb, deleteThumbDb);
    if (mode >= 0 && mode < kLayoutCount)
        qobject_cast<QAbstractButton*>(control(LayoutRadio(mode)))->setChecked(true);
}

void InitialSettingsDialog::accept() {
    auto ticked = [this](int id) { return qobject_cast<QAbstractButton*>(control(id))->isChecked() ? 1 : 0; };
    int mode = -1;
    for (int layout = 0; layout < kLayoutCount; ++layout) {
        if (qobject_cast<QAbstractButton*>(control(LayoutRadio(layout)))->isChecked())
            mode = layout;
    }
    settings_.WriteUseCurrentDirectory(ticked(ids::kUseCurrentDirectory));
    settings_.WriteDialogMode(mode);
    settings_.WriteUseBrowser(ticked(ids::kUseBrowser));
    settings_.WriteDeleteThumbDb(ticked(ids::kDeleteThumbDb));
    QDialog::accept();
}

} // namespace pelldrake
