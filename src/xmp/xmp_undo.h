#pragma once

#include "board/board_history.h"
#include "xmp/xmp_decision.h"
#include "xmp/xmp_record.h"

#include <functional>

namespace pelldrake {

class FileSystem;
class Prompter;

// Takes a run of a list's decision back and does it again: each sidecar gets exactly its earlier
// bytes back, one the run made goes to the trash, and a redo writes the decision again. A sidecar
// changed since (or, for a redo, since the undo) is left as it is and named.
class XmpUndo final : public FileUndo {
public:
    using FileWork = std::function<void(ProgressSink&)>;
    using WorkRunner = std::function<void(const FileWork&)>;

    // runner, when given, runs the file work (off the window's thread, with "中止"); none: here.
    // history, when given, is the one whose journal hears of each temporary file.
    XmpUndo(FileSystem& fileSystem, Prompter& prompter, XmpRecord record, XmpDecision decision,
            WorkRunner runner = nullptr, BoardHistory* history = nullptr);

    void Undo(const Follow& follow) override;
    void Redo(const Follow& follow) override;
    std::size_t bytes() const override;

    const FilePathList& leftBehind() const { return leftBehind_; }

private:
    bool StillAs(const SidecarWrite& write) const;
    bool UndoOne(SidecarWrite& write);
    bool RedoOne(SidecarWrite& write);
    void RunEach(bool undoing);

    FileSystem& fileSystem_;
    Prompter& prompter_;
    XmpRecord record_;
    XmpDecision decision_;
    WorkRunner runner_;
    BoardHistory* history_;
    FilePathList leftBehind_;
};

} // namespace pelldrake
