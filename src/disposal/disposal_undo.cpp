#include "disposal/disposal_undo.h"

#include "core/progress.h"
#include "disposal/delete_list_files.h"
#include "disposal/file_transfer.h"
#include "platform/busy_cursor.h"
#include "platform/prompter.h"
#include "resources/disposal_strings.h"

namespace pelldrake {

namespace {

struct Unheard : ProgressSink {
    void Report(std::size_t, std::size_t, std::string_view) override {}
};

} // namespace

DisposalUndo::DisposalUndo(FileSystem& fileSystem, Prompter& prompter, DisposalRecord record, WorkRunner runner,
                           BoardHistory* history)
    : fileSystem_(fileSystem), prompter_(prompter), history_(history), record_(std::move(record)),
      runner_(std::move(runner)) {}

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

void DisposalUndo::RunEach(const std::vector<FileDisposal*>& files, bool undoing) {
    // The window waits meanwhile and touches neither the record nor what is left behind.
    const FileWork work = [&](ProgressSink& sink) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            FileDisposal& file = *files[i];
            const FilePath& at = undoing ? file.placed : file.origin;
            sink.Report(i + 1, files.size(), at);
            const bool done = undoing ? UndoOne(file) : RedoOne(file);
            file.undone = undoing == done;
            if (!done)
                leftBehind_.push_back(at);
            // A stop leaves the files still waiting where they are; their entries follow them.
            if (sink.StopRequested())
                break;
        }
    };
    if (runner_) {
        runner_(work);
        return;
    }
    const BusyCursor busy;
    Unheard unheard;
    work(unheard);
}

void DisposalUndo::BeforeUndo(const Follow& follow) {
    EntryFixes fixes;
    for (FileDisposal& file : record_) {
        if (file.keptByRedo)
            fixes.push_back({file.list, file.origin, std::nullopt, {}});
        file.keptByRedo = false;
    }
    if (follow)
        follow(fixes);
}

void DisposalUndo::Undo(const Follow& follow) {
    leftBehind_.clear();
    std::vector<FileDisposal*> waiting;
    for (auto it = record_.rbegin(); it != record_.rend(); ++it) {
        if (!it->undone)
            waiting.push_back(&*it);
    }
    RunEach(waiting, true);
    const EntryFixes fixes = EntriesWhenUndone();
    if (follow)
        follow(fixes);
    TellLeftBehind();
}

void DisposalUndo::Redo(const Follow& follow) {
    leftBehind_.clear();
    std::vector<FileDisposal*> waiting;
    for (FileDisposal& file : record_) {
        if (file.undone)
            waiting.push_back(&file);
    }
    RunEach(waiting, false);
    // The lists now say every file is gone; one that stayed keeps an entry where it is.
    EntryFixes fixes;
    for (FileDisposal& file : record_) {
        if (file.list == FileDisposal::kNoList || !file.undone || !fileSystem_.NameTaken(file.origin))
            continue;
        fixes.push_back({file.list, {}, file.origin, IdentityAt(file.origin, file.paired)});
        file.keptByRedo = true;
    }
    if (follow)
        follow(fixes);
    TellLeftBehind();
}

FileDisposal::Entry DisposalUndo::EntryWhenUndone(const FileDisposal& file) {
    using Entry = FileDisposal::Entry;
    if (file.undone)
        return Entry::AtOrigin;
    switch (file.kind) {
    case FileDisposal::Kind::Moved:
        return fileSystem_.NameTaken(file.placed) ? Entry::AtPlaced : Entry::None;
    case FileDisposal::Kind::Copied:
        // The original never left.
        return Entry::AtOrigin;
    case FileDisposal::Kind::Trashed:
        // A file in the trash is no file to sort: it is named among those that did not come back.
        break;
    }
    return Entry::None;
}

EntryFixes DisposalUndo::EntriesWhenUndone() {
    using Entry = FileDisposal::Entry;
    const auto pathOf = [](const FileDisposal& file, Entry entry) {
        return entry == Entry::AtOrigin ? file.origin : entry == Entry::AtPlaced ? file.placed : FilePath();
    };
    EntryFixes fixes;
    for (FileDisposal& file : record_) {
        if (file.list == FileDisposal::kNoList)
            continue;
        const Entry wanted = EntryWhenUndone(file);
        if (wanted == file.entryWhenUndone)
            continue;
        EntryFix fix{file.list, pathOf(file, file.entryWhenUndone), std::nullopt, {}};
        if (wanted != Entry::None) {
            fix.now = pathOf(file, wanted);
            fix.identity = IdentityAt(*fix.now, file.paired);
        }
        fixes.push_back(std::move(fix));
        file.entryWhenUndone = wanted;
    }
    return fixes;
}

FileIdentity DisposalUndo::IdentityAt(const FilePath& path, bool paired) {
    const std::optional<FileStatus> status = fileSystem_.Status(path);
    FileIdentity identity = status ? FileIdentity(status->device, status->inode) : FileIdentity{};
    identity.paired = paired;
    return identity;
}

void DisposalUndo::TellLeftBehind() {
    if (!leftBehind_.empty())
        prompter_.Ask(NamedFilesMessage(strings::kUndoFailed, leftBehind_), PromptButtons::Ok, PromptIcon::Exclamation);
}

} // namespace pelldrake
