#include "disposal/disposal_undo.h"

#include "disposal/delete_list_files.h"
#include "disposal/file_transfer.h"
#include "platform/busy_cursor.h"
#include "platform/prompter.h"
#include "resources/disposal_strings.h"

namespace pelldrake {

DisposalUndo::DisposalUndo(FileSystem& fileSystem, Prompter& prompter, DisposalRecord record, BoardHistory* history)
    : fileSystem_(fileSystem), prompter_(prompter), history_(history), record_(std::move(record)) {}

ListChangeSink* DisposalUndo::Announce(const FileDisposal& file, FileFate fate) const {
    ListChangeSink* journal = history_ && file.IsEntry() ? history_->journal() : nullptr;
    if (journal)
        journal->FileIntent(fate, file.list, file.entry, file.origin);
    return journal;
}

std::size_t DisposalUndo::bytes() const {
    std::size_t bytes = sizeof(*this);
    for (const FileDisposal& file : record_)
        bytes += sizeof(file) + file.origin.capacity() + file.placed.capacity();
    return bytes;
}

bool DisposalUndo::StillAsPlaced(const FileDisposal& file) const {
    const auto now = fileSystem_.Status(file.placed);
    if (!now || !now->isRegular)
        return false;
    // A rename and a copy both keep size and modification time; an edit, even in place, does not.
    return now->size == file.placedAs.size && now->modifiedNs == file.placedAs.modifiedNs;
}

bool DisposalUndo::UndoOne(FileDisposal& file) {
    ListChangeSink* journal = nullptr;
    switch (file.kind) {
    case FileDisposal::Kind::Trashed:
        if (fileSystem_.NameTaken(file.origin))
            return false;
        journal = Announce(file, FileFate::Returns);
        if (fileSystem_.RestoreFromTrash(file.placed, file.origin) != 0)
            return false;
        if (journal)
            journal->FileDone();
        return true;
    case FileDisposal::Kind::Moved:
        if (!StillAsPlaced(file) || fileSystem_.NameTaken(file.origin))
            return false;
        journal = Announce(file, FileFate::Returns);
        if (!TransferFile(fileSystem_, file.placed, file.origin, false).ok())
            return false;
        break;
    case FileDisposal::Kind::Copied:
        if (!StillAsPlaced(file))
            return false;
        journal = Announce(file, FileFate::Returns);
        if (!fileSystem_.MoveToTrash(file.placed))
            return false;
        break;
    }
    if (journal)
        journal->FileDone();
    // The older file the disposal replaced takes its place again.
    if (file.replacedInTrash && fileSystem_.RestoreFromTrash(*file.replacedInTrash, file.placed) != 0) {
        leftBehind_.push_back(*file.replacedInTrash);
        file.replacedInTrash.reset();
    }
    return true;
}

bool DisposalUndo::RedoOne(FileDisposal& file) {
    if (file.kind == FileDisposal::Kind::Trashed) {
        ListChangeSink* journal = Announce(file, FileFate::Leaves);
        const std::optional<FilePath> trashed = fileSystem_.MoveToTrash(file.origin);
        if (trashed)
            file.placed = *trashed;
        if (trashed && journal)
            journal->FileDone();
        return trashed.has_value();
    }
    const auto source = fileSystem_.Status(file.origin);
    if (!source || !source->isRegular)
        return false;
    // Only what the user agreed to replace is replaced again; anything new at the target stays.
    if (fileSystem_.NameTaken(file.placed)) {
        if (!file.replacedInTrash)
            return false;
        file.replacedInTrash = fileSystem_.MoveToTrash(file.placed);
        if (!file.replacedInTrash)
            return false;
    } else {
        file.replacedInTrash.reset();
    }
    const bool keepSource = file.kind == FileDisposal::Kind::Copied;
    ListChangeSink* journal = keepSource ? nullptr : Announce(file, FileFate::Leaves);
    const TransferResult transfer = TransferFile(fileSystem_, file.origin, file.placed, keepSource);
    if (!transfer.ok()) {
        if (file.replacedInTrash)
            fileSystem_.RestoreFromTrash(*file.replacedInTrash, file.placed);
        return false;
    }
    if (journal && !transfer.sourceKept)
        journal->FileDone();
    file.placedAs = fileSystem_.Status(file.placed).value_or(FileStatus{});
    return true;
}

void DisposalUndo::Undo() {
    leftBehind_.clear();
    for (auto it = record_.rbegin(); it != record_.rend(); ++it) {
        const BusyCursor busy;
        it->undone = UndoOne(*it);
        if (!it->undone)
            leftBehind_.push_back(it->placed);
    }
    TellLeftBehind();
}

void DisposalUndo::Redo() {
    leftBehind_.clear();
    for (FileDisposal& file : record_) {
        if (!file.undone)
            continue;
        const BusyCursor busy;
        file.undone = !RedoOne(file);
        if (file.undone)
            leftBehind_.push_back(file.origin);
    }
    TellLeftBehind();
}

void DisposalUndo::TellLeftBehind() {
    if (!leftBehind_.empty())
        prompter_.Ask(NamedFilesMessage(strings::kUndoFailed, leftBehind_), PromptButtons::Ok, PromptIcon::Exclamation);
}

} // namespace pelldrake
