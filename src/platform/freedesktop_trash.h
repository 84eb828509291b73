#pragma once

#include "core/types.h"

#include <QString>
#include <functional>
#include <optional>

namespace pelldrake {

// The freedesktop.org trash, written the way desktop file managers read it: for each file an
// info file (its original path, percent-encoded, and the local time it was deleted) beside the
// file itself in files/. The trash is the user's own (dataHome/Trash) when it lies on the file's
// file system, else the one at the top of the file's mount.
class FreedesktopTrash {
public:
    // isMountTop says whether a folder (native bytes) is the top of a mount.
    FreedesktopTrash(FilePath dataHome, unsigned uid, std::function<bool(const FilePath& folder)> isMountTop);

    // Where the file went in the trash's files/ folder; nothing when it could not go, and then it
    // stays where it was and no info file is left.
    std::optional<FilePath> MoveToTrash(const FilePath& path) const;
    // A trashed file back at its original path, never over anything that stands there, and its
    // info file gone; an errno on failure.
    static int Restore(const FilePath& trashed, const FilePath& original);

    // The trash folder a file goes to, made if needed; empty when it has none that may be used.
    FilePath TrashFor(const FilePath& path) const;

private:
    FilePath TopTrash(const FilePath& top) const;

    FilePath dataHome_;
    unsigned uid_;
    std::function<bool(const FilePath&)> isMountTop_;
};

// The path as a URI path: every byte but letters, digits, "-._~" and "/" as %XX.
QByteArray PercentEncodedPath(const FilePath& path);

// A folder (native bytes) is the top of a mount when its parent lies on another device, or it is "/".
bool IsNativeMountTop(const FilePath& folder);

} // namespace pelldrake
