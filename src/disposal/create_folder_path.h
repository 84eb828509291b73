#pragma once

#include "core/types.h"

namespace pelldrake {

class FileSystem;

struct CreateFolderResult {
    int error = 0;     // errno of the step that failed; 0 when the whole path is a folder now
    FilePath failedAt; // the folder that could not be made (or the file in the way)

    bool ok() const { return error == 0; }
};

// Makes every missing folder of path, the top-most first. Stops at the first folder that cannot
// be made instead of trying again, and says which one and why.
CreateFolderResult CreateFolderPath(FileSystem& fileSystem, const FilePath& path);

} // namespace pelldrake
