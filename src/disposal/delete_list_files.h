#pragma once

#include "board/board.h"
#include "board/picture_files.h"
#include "disposal/disposal_record.h"

#include <vector>

namespace pelldrake {

class FileSystem;
class ProgressSink;

// One list's part of a run to the trash.
struct ListTrashing {
    ListIndex list = kUnclassified;
    // The list's entries and their files, held still while the files go.
    const FilePathList* entries = nullptr;
    const std::vector<FileIdentity>* files = nullptr;
    // Files the trash refused that are still where they were.
    FilePathList stayed;
    // After a stop, the entries from here on were not handled.
    std::size_t unhandledFrom = 0;
};

// The list, or with none every list that holds entries, 0 to 10.
std::vector<ListTrashing> ListsToTrash(Board& board, std::optional<ListIndex> list);

// Sends the files of the lists to the trash, each with its sidecars (a paired one with the raw
// files of its pair too, except those rawEntries names; none: no entry has a pair), noting where
// each went in record, when given, and returns the sidecars that stayed. The sink, when given, hears which file of how
// many the run is at, and a stop asked there ends the run after the file it is on. The journal,
// when given, hears of each file before and after it goes. Touches no list.
FilePathList TrashEntries(FileSystem& fileSystem, std::vector<ListTrashing>& lists, DisposalRecord* record,
                          const RawEntries* rawEntries, ProgressSink* sink = nullptr,
                          ListChangeSink* journal = nullptr);

// Makes the lists follow: each keeps the entries of the files the trash refused, and those not
// handled; the other entries go, those of files that had already gone too. Returns the refused.
FilePathList ApplyTrashing(Board& board, const std::vector<ListTrashing>& lists);

// Both on this thread: sends every file of the list to the trash. The list keeps the entries of the files that could
// not go and are still where they were, and they are returned; the other entries go, those of
// files that had already gone too.
// Each file's sidecars go with it; those that could not are added to sidecarsLeft. Where each
// file went is noted in record, when given, for undo.
FilePathList DeleteListFiles(Board& board, FileSystem& fileSystem, ListIndex list, DisposalRecord* record = nullptr,
                             FilePathList* sidecarsLeft = nullptr);

// Every non-empty list in turn, 0 to 10.
FilePathList DeleteAllLists(Board& board, FileSystem& fileSystem, DisposalRecord* record = nullptr,
                            FilePathList* sidecarsLeft = nullptr);

// The message naming the files that stayed, at most a screenful of them.
QString TrashFailureMessage(const FilePathList& stayed);

// A message (with %1 for the names) naming the files, at most a screenful of them.
QString NamedFilesMessage(const char* text, const FilePathList& files);

} // namespace pelldrake
