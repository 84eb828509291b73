#pragma once

#include "resources/dialog_template.h"

namespace pelldrake {

// Dialog 108, where a list's files or entries go.
const DialogTemplate& DestinationTemplate();

} // namespace pelldrake
