#include "app/startup/board_recovery.h"

#include "board/board.h"
#include "platform/file_info.h"
#include "platform/prompter.h"
#include "resources/strings.h"
#include "state/recovery_files.h"
#include "state/recovery_journal.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace pelldrake {

BoardRecovery::BoardRecovery(FilePath folder, Prompter& prompter) : folder_(std::move(folder)), prompter_(prompter) {}

BoardRecovery::~BoardRecovery() = default;

namespace {

enum class Left { Nothing, Restored, KeptAside, NotKept };

constexpr int kNamesShown = 20;

// Offers what one set of files holds; how it went. Files that cannot be read are moved aside, and
// their new names added to unreadable.
Left Offer(const RecoveryFiles& files, RecoveryReading& left, Board& board, bool findPairs, Prompter& prompter,
           FilePathList& unreadable) {
    if (left.outcome == RecoveryReading::Outcome::Unreadable) {
        const FilePathList moved = files.KeepUnreadable(QDateTime::currentDateTime());
        unreadable.insert(unreadable.end(), moved.begin(), moved.end());
        // One that could not be moved must not be written over.
        return files.Present() ? Left::NotKept : Left::KeptAside;
    }
    if (left.outcome != RecoveryReading::Outcome::Readable || left.board.TotalCount() == 0)
        return Left::Nothing;
    if (prompter.Ask(strings::Utf8(strings::kRecoverQuestion), PromptButtons::YesNo, PromptIcon::Question) ==
        PromptAnswer::Yes) {
        left.board.MoveInto(board, findPairs);
        return Left::Restored;
    }
    return files.KeepRecovered(left.board, QDateTime::currentDateTime()).empty() ? Left::NotKept : Left::KeptAside;
}

// Once for all the files moved aside, so that the user knows where to look for the work.
void TellUnreadable(Prompter& prompter, const FilePathList& names) {
    QStringList lines;
    const int shown = std::min(static_cast<int>(names.size()), kNamesShown);
    for (int i = 0; i < shown; ++i)
        lines << PathToQString(names[static_cast<std::size_t>(i)]);
    if (static_cast<int>(names.size()) > shown)
        lines << strings::Utf8(strings::kRecoverUnreadableMore).arg(static_cast<int>(names.size()) - shown);
    prompter.Ask(strings::Utf8(strings::kRecoverUnreadable).arg(lines.join(QStringLiteral("\r\n"))), PromptButtons::Ok,
                 PromptIcon::Exclamation);
}

} // namespace

void BoardRecovery::Begin(Board& board, bool findPairs) {
    if (folder_.empty() || !(files_ = RecoveryFiles::Claim(folder_)))
        return;
    // What every copy that no longer runs left is offered, this copy's own slot's too, one question
    // each, the latest work first. A second set restored joins the first on the board: the user
    // who says yes twice gets both, and a file named by both keeps the place the latest gave it.
    const std::vector<std::unique_ptr<RecoveryFiles>> others = RecoveryFiles::ClaimLeftBehind(folder_, *files_);
    std::vector<std::pair<std::pair<std::int64_t, std::int64_t>, const RecoveryFiles*>> offered{
        {files_->LastWritten(), files_.get()}};
    for (const auto& other : others)
        offered.emplace_back(other->LastWritten(), other.get());
    std::stable_sort(offered.begin(), offered.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    int ownGeneration = 0;
    bool ownKept = true;
    bool restored = false;
    // Restored from another slot: those files go once this copy's journal holds what they held.
    std::vector<const RecoveryFiles*> taken;
    FilePathList unreadable;
    for (const auto& [written, slot] : offered) {
        const RecoveryFiles& files = *slot;
        RecoveryReading left = ReadRecovery(files);
        const bool own = &files == files_.get();
        if (own)
            ownGeneration = left.generation;
        const Left outcome = Offer(files, left, board, findPairs, prompter_, unreadable);
        restored = restored || outcome == Left::Restored;
        if (own)
            ownKept = outcome != Left::NotKept;
        else if (outcome == Left::Restored)
            taken.push_back(&files);
        else if (outcome == Left::Nothing)
            files.RemoveAll(); // no entry to offer, now or ever
    }
    if (!unreadable.empty())
        TellUnreadable(prompter_, unreadable);
    // What was recovered is where the user left off, not a step to take back.
    if (restored)
        board.history().Forget();
    if (!ownKept) {
        // Not kept aside: the files stay as they are, and this copy runs without recovery.
        files_.reset();
        return;
    }
    // A generation after every one on disk, so that the new snapshot replaces the old files only
    // once it is whole.
    const std::vector<int> generations = files_->JournalGenerations();
    const int generation = std::max(ownGeneration, generations.empty() ? 0 : generations.back()) + 1;
    journal_ = RecoveryJournal::Start(*files_, board, generation);
    board.history().setJournal(journal_.get());
    // Without a journal they stay, to be offered again: nothing of them is lost.
    if (journal_) {
        for (const RecoveryFiles* files : taken)
            files->RemoveAll();
    }
}

void BoardRecovery::End(Board& board) {
    board.history().setJournal(nullptr);
    if (journal_)
        journal_->Finish();
    journal_.reset();
}

} // namespace pelldrake
