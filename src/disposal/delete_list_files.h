#pragma once

#include "board/board.h"

namespace pelldrake {

class FileSystem;

// Sends every file of the list to the trash and empties the list. Returns the files that could
// not go and are still where they were; a file that had already gone is not among them.
FilePathList DeleteListFiles(Board& board, FileSystem& fileSystem, ListIndex list);

// Every non-empty list in turn, 0 to 10.
FilePathList DeleteAllLists(Board& board, FileSystem& fileSystem);

// The message naming the files that stayed, at most a screenful of them.
QString TrashFailureMessage(const FilePathList& stayed);

} // namespace pelldrake
