#pragma once

#include <QString>

namespace pelldrake {

// The settings file beside the executable: the file name's extension replaced by ".INI", or
// ".INI" appended when the name has none. A dot in a folder name never counts.
QString SettingsPathFor(const QString& executablePath);

} // namespace pelldrake
