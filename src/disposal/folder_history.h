#pragma once

#include "core/types.h"

namespace pelldrake {

// Every folder text accepted for a move in this run, oldest first, repeats included.
class FolderHistory {
public:
    void Append(FilePath folder) { folders_.push_back(std::move(folder)); }
    const FilePathList& Folders() const { return folders_; }

    // The folder combo's items: each folder once, the most recently entered first, written as
    // it was last entered. Names differing only in case are different folders on Linux.
    FilePathList ComboItems() const;

private:
    FilePathList folders_;
};

} // namespace pelldrake
