#include "xmp/xmp_undo.h"

#include "core/progress.h"
#include "disposal/delete_list_files.h"
#include "platform/busy_cursor.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "resources/disposal_strings.h"
#include "xmp/sidecar_replace.h"
#include "xmp/xmp_merge.h"

namespace pelldrake {

namespace {

struct Unheard : ProgressSink {
    void Report(std::size_t, std::size_t, std::string_view) override {}
};

} // namespace

XmpUndo::XmpUndo(FileSystem& fileSystem, Prompter& prompter, XmpRecord record, XmpDecision decision, WorkRunner runner,
                 BoardHistory* history)
    : fileSystem_(fileSystem), prompter_(prompter), record_(std::move(record)), decision_(decision),
      runner_(std::move(runner)), history_(history) {}

std::size_t XmpUndo::bytes() const {
    std::size_t bytes = sizeof(*this);
    for (const SidecarWrite& write : record_)
        bytes += sizeof(write) + write.path.capacity() + (write.before ? write.before->capacity() : 0);
    return bytes;
}

bool XmpUndo::StillAs(const SidecarWrite& write) const {
    const std::optional<FileStatus> now = fileSystem_.Status(write.path);
    if (!write.as.isRegular)
        return !now && !fileSystem_.NameTaken(write.path);
    // Each write is a new file renamed into place: an edit since, even of the same size and time,
    // left another file there, or changed this one's time.
    return now && now->isRegular && now->SameFileAs(write.as) && now->size == write.as.size &&
           now->modifiedNs == write.as.modifiedNs;
}

bool XmpUndo::UndoOne(SidecarWrite& write) {
    if (!StillAs(write))
        return false;
    ListChangeSink* journal = history_ ? history_->journal() : nullptr;
    if (write.before) {
        if (ReplaceFile(fileSystem_, journal, write.path, *write.before, write.mode) != 0)
            return false;
        write.as = fileSystem_.Status(write.path).value_or(FileStatus{});
        return true;
    }
    if (!fileSystem_.MoveToTrash(write.path))
        return false;
    write.as = FileStatus{};
    return true;
}

bool XmpUndo::RedoOne(SidecarWrite& write) {
    if (!StillAs(write))
        return false;
    ListChangeSink* journal = history_ ? history_->journal() : nullptr;
    const std::optional<std::string> merged = MergeDecision(write.before, decision_);
    if (!merged || ReplaceFile(fileSystem_, journal, write.path, *merged,
                               write.before ? std::optional(write.mode) : std::nullopt) != 0)
        return false;
    write.as = fileSystem_.Status(write.path).value_or(FileStatus{});
    return true;
}

void XmpUndo::RunEach(bool undoing) {
    leftBehind_.clear();
    std::vector<SidecarWrite*> waiting;
    if (undoing) {
        for (auto it = record_.rbegin(); it != record_.rend(); ++it)
            if (!it->undone)
                waiting.push_back(&*it);
    } else {
        for (SidecarWrite& write : record_)
            if (write.undone)
                waiting.push_back(&write);
    }
    // The window waits meanwhile and touches neither the record nor what is left behind.
    const FileWork work = [&](ProgressSink& sink) {
        for (std::size_t i = 0; i < waiting.size(); ++i) {
            SidecarWrite& write = *waiting[i];
            sink.Report(i + 1, waiting.size(), write.path);
            if ((undoing ? UndoOne(write) : RedoOne(write)))
                write.undone = undoing;
            else
                leftBehind_.push_back(write.path);
            if (sink.StopRequested())
                break;
        }
    };
    if (runner_) {
        runner_(work);
    } else {
        const BusyCursor busy;
        Unheard unheard;
        work(unheard);
    }
    if (!leftBehind_.empty())
        prompter_.Ask(NamedFilesMessage(strings::kUndoFailed, leftBehind_), PromptButtons::Ok, PromptIcon::Exclamation);
}

void XmpUndo::Undo(const Follow&) {
    RunEach(true);
}

void XmpUndo::Redo(const Follow&) {
    RunEach(false);
}

} // namespace pelldrake
