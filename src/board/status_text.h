#pragma once

#include "core/types.h"

#include <QString>

namespace pelldrake {

// The status line for a file: its name and size ("a.jpg (1500)", "b.jpg (2KB)"), or the failure
// text when the file cannot be examined.
QString StatusTextFor(const FilePath& path);

} // namespace pelldrake
