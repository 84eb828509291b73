#pragma once

#include <QString>
#include <functional>

namespace pelldrake {

// Whether a name that QFile::moveToTrash handed back lies in the files/ folder of a real trash:
// the user's (dataHome/Trash/files) or one at the top of a mount (.Trash-UID/files or
// .Trash/UID/files). Qt 6.4 reports success and moves the file into ./files/ of the current
// directory when the user's data folder is missing; this test tells that apart.
bool IsTrashFilesPath(const QString& trashedName, const QString& dataHome, unsigned uid,
                      const std::function<bool(const QString& folder)>& isMountTop);

// A folder is the top of a mount when its parent lies on another device, or it is "/".
bool IsMountTop(const QString& folder);

} // namespace pelldrake
