#include "app/startup/board_recovery.h"

#include "board/board.h"
#include "platform/prompter.h"
#include "resources/strings.h"
#include "state/recovery_files.h"
#include "state/recovery_journal.h"

#include <QDateTime>
#include <algorithm>

namespace pelldrake {

BoardRecovery::BoardRecovery(FilePath folder, Prompter& prompter) : folder_(std::move(folder)), prompter_(prompter) {}

BoardRecovery::~BoardRecovery() = default;

void BoardRecovery::Begin(Board& board, bool findPairs) {
    if (folder_.empty() || !(files_ = RecoveryFiles::Claim(folder_)))
        return;
    RecoveryReading left = ReadRecovery(*files_);
    if (left.outcome == RecoveryReading::Outcome::Unreadable) {
        files_->KeepUnreadable(QDateTime::currentDateTime());
    } else if (left.outcome == RecoveryReading::Outcome::Readable && left.board.TotalCount() > 0) {
        if (prompter_.Ask(strings::Utf8(strings::kRecoverQuestion), PromptButtons::YesNo, PromptIcon::Question) ==
            PromptAnswer::Yes) {
            left.board.MoveInto(board, findPairs);
            // What was recovered is where the user left off, not a step to take back.
            board.history().Forget();
        } else if (files_->KeepRecovered(left.board, QDateTime::currentDateTime()).empty()) {
            // Not kept aside: the files stay as they are, and this copy runs without recovery.
            files_.reset();
            return;
        }
    }
    // A generation after every one on disk, so that the new snapshot replaces the old files only
    // once it is whole.
    const std::vector<int> generations = files_->JournalGenerations();
    const int generation = std::max(left.generation, generations.empty() ? 0 : generations.back()) + 1;
    journal_ = RecoveryJournal::Start(*files_, board, generation);
    board.history().setJournal(journal_.get());
}

void BoardRecovery::End(Board& board) {
    board.history().setJournal(nullptr);
    if (journal_)
        journal_->Finish();
    journal_.reset();
}

} // namespace pelldrake
