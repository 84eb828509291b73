#pragma once

#include "board/board.h"
#include "disposal/disposal_record.h"

namespace pelldrake {

class FileSystem;

// Sends every file of the list to the trash. The list keeps the entries of the files that could
// not go and are still where they were, and they are returned; the other entries go, those of
// files that had already gone too.
// Each file's sidecars go with it; those that could not are added to sidecarsLeft. Where each
// file went is noted in record, when given, for undo.
FilePathList DeleteListFiles(Board& board, FileSystem& fileSystem, ListIndex list, DisposalRecord* record = nullptr,
                             FilePathList* sidecarsLeft = nullptr, bool withCompanions = false);

// Every non-empty list in turn, 0 to 10.
FilePathList DeleteAllLists(Board& board, FileSystem& fileSystem, DisposalRecord* record = nullptr,
                            FilePathList* sidecarsLeft = nullptr, bool withCompanions = false);

// The message naming the files that stayed, at most a screenful of them.
QString TrashFailureMessage(const FilePathList& stayed);

// A message (with %1 for the names) naming the files, at most a screenful of them.
QString NamedFilesMessage(const char* text, const FilePathList& files);

} // namespace pelldrake
