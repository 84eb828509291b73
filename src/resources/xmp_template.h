#pragma once

#include "resources/dialog_template.h"

namespace pelldrake {

// Writing a list's decision into XMP sidecars (template 170).
const DialogTemplate& XmpTemplate();

namespace xmp_ids {
inline constexpr int kList = 1501;
inline constexpr int kRating = 1502;
inline constexpr int kLabel = 1503;
inline constexpr int kBaseNameForm = 1504; // … 1506, in the order of the settings' numbers
inline constexpr int kFullNameForm = 1505;
inline constexpr int kBothForms = 1506;
} // namespace xmp_ids

} // namespace pelldrake
