#pragma once

#include "board/board.h"

namespace pelldrake {

// Ends a run over files (a disposal, a write of sidecars), however it returns, with its file
// records closed in the journal and the journal on the disk.
class FileRunSync {
public:
    explicit FileRunSync(Board& board) : board_(board) {}
    ~FileRunSync() {
        board_.history().EndFileRun();
        board_.history().Commit();
        board_.history().SyncJournal();
    }
    FileRunSync(const FileRunSync&) = delete;
    FileRunSync& operator=(const FileRunSync&) = delete;

private:
    Board& board_;
};

} // namespace pelldrake
