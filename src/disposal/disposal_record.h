#pragma once

#include "core/types.h"
#include "platform/file_system.h"

#include <optional>
#include <vector>

namespace pelldrake {

// What a disposal did to one file, enough to take it back and to do it again.
struct FileDisposal {
    enum class Kind { Moved, Copied, Trashed };
    Kind kind = Kind::Moved;
    FilePath origin; // where the file was
    FilePath placed; // where it is now: the target, or its place in the trash
    // What stood at placed right after: a file changed since is left alone.
    FileStatus placedAs;
    // The older file the target replaced, kept in the trash.
    std::optional<FilePath> replacedInTrash;
    bool undone = false;
    // The entry the file was, where a list held it; none for a file that went with one.
    ListIndex list = -1;
    int entry = -1;
    bool IsEntry() const { return list >= 0; }
};

using DisposalRecord = std::vector<FileDisposal>;

} // namespace pelldrake
