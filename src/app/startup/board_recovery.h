#pragma once

#include "core/types.h"

#include <memory>

namespace pelldrake {

class Board;
class Prompter;
class RecoveryFiles;
class RecoveryJournal;

// The board's lists outlive a crash: at start, what a copy that no longer runs left behind is
// offered back (or kept aside as a work-state file); while the board runs, every change goes to
// the journal; a normal end removes the files.
class BoardRecovery {
public:
    // An empty folder switches recovery off.
    BoardRecovery(FilePath folder, Prompter& prompter);
    ~BoardRecovery();
    BoardRecovery(const BoardRecovery&) = delete;
    BoardRecovery& operator=(const BoardRecovery&) = delete;

    // Before the board shows its lists: asks whether to restore what was left (with findPairs, its
    // JPEG entries paired again), then journals the board from here on.
    void Begin(Board& board, bool findPairs = false);
    // The board closed as the user asked: nothing to recover.
    void End(Board& board);

    bool journaling() const { return journal_ != nullptr; }

private:
    FilePath folder_;
    Prompter& prompter_;
    std::unique_ptr<RecoveryFiles> files_;
    std::unique_ptr<RecoveryJournal> journal_;
};

} // namespace pelldrake
