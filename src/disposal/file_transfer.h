#pragma once

#include "core/types.h"

namespace pelldrake {

class FileSystem;

struct TransferResult {
    int error = 0;           // errno of the step that failed; 0 when the file is at its target
    bool sourceKept = false; // a move whose source could not be removed after its copy

    bool ok() const { return error == 0; }
};

// Puts one file at target, replacing what stands there, so that at every moment the target
// holds either its old content or the complete new one, and the source is given up only once
// the target is complete. A move within one file system is a rename; otherwise the bytes are
// copied to a temporary name beside the target, their size checked, and renamed into place;
// a move then deletes the source (a failure of that deletion is not an error: the file is at
// the target, and sourceKept says so). The caller has made sure source and target are not the same file.
TransferResult TransferFile(FileSystem& fileSystem, const FilePath& source, const FilePath& target, bool keepSource);

// The temporary name beside target for the n-th try.
FilePath TemporaryNameFor(const FilePath& target, int attempt);

// Removes the temporary files that copies of processes no longer running left in the folder.
void RemoveStaleTemporaries(FileSystem& fileSystem, const FilePath& folder);

} // namespace pelldrake
