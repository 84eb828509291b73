#pragma once

#include "board/board.h"
#include "board/picture_files.h"
#include "disposal/disposal_record.h"

#include <functional>

namespace pelldrake {

class FileSystem;
class ProgressSink;
class Prompter;

// What the file work of a disposal works with: the disk and the user, never the lists, so that it
// can run on a thread of its own.
struct DisposalContext {
    FileSystem& fileSystem;
    // Asked from the thread the work runs on.
    Prompter& prompter;
    // Where the run says which file of how many it is at, and where the user may stop it; may be null.
    ProgressSink* sink = nullptr;
    // Where the run notes what it did to each file, for undo; may be null.
    DisposalRecord* record = nullptr;
    // The files of the entries, index for index: the raw files of a paired one follow it, except
    // those that are entries of the board. Both none: no entry has a pair
    // (RawEntries::OfBoardIfPaired).
    const std::vector<FileIdentity>* files = nullptr;
    const RawEntries* rawEntries = nullptr;
    // Puts the files the user wants back into the unclassified list as soon as they are answered
    // for, before the next file; none: they wait in the outcome for the end of the run.
    std::function<void(EntryBatch)> returnFiles = nullptr;
    // Hears each file's move before and after it, so that a kill midway still leaves the lists
    // naming the files where they are. May be null.
    ListChangeSink* journal = nullptr;
    // The list whose entries the files are, noted with each in record for undo.
    ListIndex list = FileDisposal::kNoList;
};

// What the file work of a copy or move did that the lists and the end messages follow.
struct CopyOrMoveOutcome {
    // The entries from here on were not handled: the user stopped the run before them.
    std::size_t unhandledFrom = 0;
    // Files whose copy failed and that the user wants back in the unclassified list, in order,
    // with the files they name, so that no other spelling of one is added beside it.
    EntryBatch returned;
    // Moved files whose sources could not be removed.
    FilePathList sourcesKept;
    FilePathList sidecarsLeft;
};

// Moves (or, keeping the sources, copies) the files into the folder, asking before it overwrites
// (the older file then goes to the trash, never destroyed), reporting missing sources, and asking
// whether a file whose copy failed returns to the unclassified list. Cancel at the overwrite
// question ends the run as if every file had been handled; a stop asked through the sink ends it
// after the file it is on. Touches no list but through returnFiles.
CopyOrMoveOutcome CopyOrMoveEntries(DisposalContext& context, const FilePathList& entries, const FilePath& folder,
                                    bool keepSource);

// The files go to the end of the unclassified list, the last one current, and pane 0 shows it.
void ReturnToUnclassified(Board& board, EntryBatch returned);

// Makes the lists follow the file work on list: it keeps only the entries not handled, the
// returned files still held go to the end of the unclassified list, then the user is told what
// stayed behind.
void ApplyCopyOrMove(Board& board, Prompter& prompter, ListIndex list, CopyOrMoveOutcome outcome);

// Both on this thread, a returned file joining the unclassified list at once unless it is the list
// disposed of. The list is empty afterwards whatever happened to each file, unless the run was
// stopped; a file that was not handled stays where it was.
void CopyOrMoveFiles(Board& board, DisposalContext& context, ListIndex list, const FilePath& folder, bool keepSource);

// The target name of a source in the folder: its name after the last "/".
FilePath TargetPathFor(const FilePath& source, const FilePath& folder);

} // namespace pelldrake
