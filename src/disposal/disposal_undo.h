#pragma once

#include "board/board_history.h"
#include "disposal/disposal_record.h"

namespace pelldrake {

class FileSystem;
class Prompter;

// Takes a disposal's files back and does it again: moved files return to where they came from
// (a rename on one file system, no copy), copies go to the trash, trashed files come out of it,
// and a file the disposal replaced comes back from the trash. A file that changed since, or whose
// place is taken, stays where it is and is named.
class DisposalUndo final : public FileUndo {
public:
    // history, when given, is the one whose journal hears of each file before and after it moves.
    DisposalUndo(FileSystem& fileSystem, Prompter& prompter, DisposalRecord record, BoardHistory* history = nullptr);

    void Undo() override;
    void Redo() override;
    std::size_t bytes() const override;

    // The files the last undo or redo left where they were.
    const FilePathList& leftBehind() const { return leftBehind_; }

private:
    bool StillAsPlaced(const FileDisposal& file) const;
    // Announces to the journal that the entry of file is about to leave its list or come back.
    ListChangeSink* Announce(const FileDisposal& file, FileFate fate) const;
    bool UndoOne(FileDisposal& file);
    bool RedoOne(FileDisposal& file);
    void TellLeftBehind();

    FileSystem& fileSystem_;
    Prompter& prompter_;
    BoardHistory* history_;
    DisposalRecord record_;
    FilePathList leftBehind_;
};

} // namespace pelldrake
