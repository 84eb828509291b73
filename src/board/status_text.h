#pragma once

#include "core/types.h"

#include <QString>

namespace pelldrake {

// The status line for a file: its name and size ("a.jpg (1500)", "b.jpg (2KB)"), or the failure
// text when the file cannot be examined.
QString StatusTextFor(const FilePath& path);
// The same after the reason a picture is not shown; the reason first, as the line is narrow in
// the small layout.
QString StatusTextFor(const FilePath& path, const QString& notShownReason);

} // namespace pelldrake
