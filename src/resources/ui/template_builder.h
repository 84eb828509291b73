#pragma once

#include "resources/dialog_template.h"
#include "resources/dialog_units.h"

#include <QWidget>
#include <map>

namespace pelldrake {

// Creates the widgets of a template as children of parent, placed by the dialog units, and
// returns them by control id (lines and other id-less controls are created but not returned).
std::map<int, QWidget*> BuildControls(const DialogTemplate& dialog, QWidget* parent, const DialogUnits& units);

} // namespace pelldrake
