#pragma once

#include "board/board.h"
#include "disposal/disposal_record.h"

#include <functional>

namespace pelldrake {

class FileSystem;
class ProgressSink;
class Prompter;

// What a disposal works with: the lists, the disk, the user, and a call made after each file and
// each half megabyte copied, so that the window can repaint during a long run.
struct DisposalContext {
    Board& board;
    FileSystem& fileSystem;
    Prompter& prompter;
    std::function<void()> progress = [] {};
    // Where the run says which file of how many it is at; may be null.
    ProgressSink* sink = nullptr;
    // Where the run notes what it did to each file, for undo; may be null.
    DisposalRecord* record = nullptr;
    // The camera raw files of a JPEG's base name follow it.
    bool withCompanions = false;
};

// Moves (or, keeping the sources, copies) every file of the list into the folder, asking before
// it overwrites (the older file then goes to the trash, never destroyed), reporting missing sources, and offering to
// return a file whose copy failed to the unclassified list. Cancel at the overwrite question ends the run. The list is
// empty afterwards whatever happened to each file; a file that was not handled stays where it was.
void CopyOrMoveFiles(DisposalContext& context, ListIndex list, const FilePath& folder, bool keepSource);

// The target name of a source in the folder: its name after the last "/".
FilePath TargetPathFor(const FilePath& source, const FilePath& folder);

} // namespace pelldrake
