#pragma once

#include "board/board_history.h"
#include "disposal/disposal_record.h"

#include <functional>

namespace pelldrake {

class FileSystem;
class ProgressSink;
class Prompter;

// Takes a disposal's files back and does it again: moved files return to where they came from
// (a rename on one file system, no copy), copies go to the trash, trashed files come out of it,
// and a file the disposal replaced comes back from the trash. A file that changed since, or whose
// place is taken, stays where it is and is named; its entry names it where it stayed, or goes when
// that is the trash or nowhere. A file a redo cannot take keeps an entry where it is.
class DisposalUndo final : public FileUndo {
public:
    // Runs the file work of an undo or redo, reporting to the sink and stopping when it asks.
    using FileWork = std::function<void(ProgressSink&)>;
    using WorkRunner = std::function<void(const FileWork&)>;

    // runner, when given, runs the file work (off the window's thread, with "中止"); none: here.
    // history, when given, is the one whose journal hears of each file before and after it moves.
    DisposalUndo(FileSystem& fileSystem, Prompter& prompter, DisposalRecord record, WorkRunner runner = nullptr,
                 BoardHistory* history = nullptr);

    void BeforeUndo(const Follow& follow) override;
    void Undo(const Follow& follow) override;
    void Redo(const Follow& follow) override;
    std::size_t bytes() const override;

    // The files the last undo or redo left where they were.
    const FilePathList& leftBehind() const { return leftBehind_; }

private:
    bool StillAsPlaced(const FileDisposal& file) const;
    // Announces to the journal that the entry of file is about to leave its list or come back.
    ListChangeSink* Announce(const FileDisposal& file, FileFate fate) const;
    // One file each, on the thread the work runs on: the one place each takes its file.
    bool UndoOne(FileDisposal& file);
    bool RedoOne(FileDisposal& file);
    // Each of the files in turn, taken back or done again, until all are or the user stops.
    void RunEach(const std::vector<FileDisposal*>& files, bool undoing);
    // Where the entries of the files stand once the undo is done, as far as they changed.
    EntryFixes EntriesWhenUndone();
    FileDisposal::Entry EntryWhenUndone(const FileDisposal& file);
    FileIdentity IdentityAt(const FilePath& path, bool paired);
    void TellLeftBehind();

    FileSystem& fileSystem_;
    Prompter& prompter_;
    BoardHistory* history_;
    DisposalRecord record_;
    WorkRunner runner_;
    FilePathList leftBehind_;
};

} // namespace pelldrake
