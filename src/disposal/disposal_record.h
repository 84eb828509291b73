#pragma once

#include "core/types.h"
#include "platform/file_system.h"

#include <optional>
#include <vector>

namespace pelldrake {

// What a disposal did to one file, enough to take it back and to do it again.
struct FileDisposal {
    enum class Kind { Moved, Copied, Trashed };
    // Where the file's entry stands while the disposal is undone.
    enum class Entry { AtOrigin, AtPlaced, None };
    static constexpr ListIndex kNoList = -1;

    Kind kind = Kind::Moved;
    FilePath origin; // where the file was
    FilePath placed; // where it is now: the target, or its place in the trash
    // What stood at placed right after: a file changed since is left alone.
    FileStatus placedAs;
    // The older file the target replaced, kept in the trash.
    std::optional<FilePath> replacedInTrash;
    // The list whose entry named the file, and whether the raw files of its pair came with it;
    // kNoList for a file that followed another (a sidecar, a raw file of a pair).
    ListIndex list = kNoList;
    bool paired = false;
    bool undone = false;
    Entry entryWhenUndone = Entry::AtOrigin;
    // A redo that could not take the file left it with an entry at the end of its list.
    bool keptByRedo = false;
    // Where the entry stood in its list.
    int entry = -1;
    bool IsEntry() const { return list != kNoList; }
};

using DisposalRecord = std::vector<FileDisposal>;

} // namespace pelldrake
