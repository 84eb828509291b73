#pragma once

// One seeded session of a few hundred commands on the real board, with the real history, the real
// recovery journal (compacting often) and real files, each command run as the program's command
// runs it: in one step of the history, a disposal ending with the journal synced. The same seed on
// the same fresh files gives the same session, command for command.

#include "app/settings_file.h"
#include "board/board.h"
#include "board/moves.h"
#include "campaign_files.h"
#include "disposal_steps.h"
#include "intake/add_files.h"
#include "platform/file_system.h"
#include "state/recovery_files.h"
#include "state/recovery_journal.h"
#include "tools/auto_classify.h"
#include "yes_prompter.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <random>

namespace campaign {

using namespace pelldrake;

enum class Command : std::uint8_t {
    Intake,
    BigIntake,
    Sort,
    Backspace,
    Step,
    Exclude,
    MoveAll,
    Clear,
    Classify,
    Move,
    Copy,
    Trash,
    Undo,
    Redo,
};

inline const char* CommandName(Command command) {
    static const char* const kNames[] = {"intake", "big intake", "sort", "Backspace", "Enter", "exclude", "move-all",
                                         "clear",  "classify",   "move", "copy",      "trash", "undo",    "redo"};
    return kNames[static_cast<int>(command)];
}

// Whether the command may move, copy or trash files.
inline bool TouchesFiles(Command command) {
    return command == Command::Move || command == Command::Copy || command == Command::Trash ||
           command == Command::Undo || command == Command::Redo;
}

class Session {
public:
    Session(const CampaignFiles& files, unsigned seed)
        : files_(files), random_(seed), settings_(QString::fromStdString(files.root + "/pelldrake.INI")),
          recoveryFiles_(RecoveryFiles::Claim(files.State())) {
        journal_ = RecoveryJournal::Start(*recoveryFiles_, board_, 1);
        // Many snapshots in a short session: compaction is part of what a kill may interrupt.
        journal_->setLeastBeforeSnapshot(16384);
        board_.history().setJournal(journal_.get());
        bigAt_ = 3 + static_cast<int>(random_() % 40);
    }

    const Board& board() const { return board_; }

    // Runs the next command, as one step; says which it was.
    Command RunNext(int index) {
        const Command command = Next(index);
        const BoardHistory::Scope step(board_.history());
        Run(command);
        return command;
    }

private:
    Command Next(int index) {
        if (index == bigAt_)
            return Command::BigIntake;
        if (!followUps_.empty()) {
            const Command command = followUps_.front();
            followUps_.pop_front();
            return command;
        }
        // Weights out of 100, sorting first as a user's hand goes.
        static constexpr std::pair<int, Command> kWeights[] = {
            {30, Command::Sort},  {6, Command::Backspace}, {4, Command::Step},  {2, Command::Exclude},
            {8, Command::Intake}, {6, Command::MoveAll},   {4, Command::Clear}, {4, Command::Classify},
            {7, Command::Move},   {4, Command::Copy},      {4, Command::Trash}, {13, Command::Undo},
            {8, Command::Redo}};
        int pick = static_cast<int>(random_() % 100);
        for (const auto& [weight, command] : kWeights) {
            if (pick < weight)
                return command;
            pick -= weight;
        }
        return Command::Sort;
    }

    // A command that changes many entries or files is often taken back, and done again.
    void FollowUp() {
        if (random_() % 10 < 6) {
            followUps_.push_back(Command::Undo);
            if (random_() % 10 < 5)
                followUps_.push_back(Command::Redo);
        }
    }

    // A list that holds entries (1 … 10, now and then the unclassified one), or none.
    std::optional<ListIndex> FullList() {
        std::vector<ListIndex> full;
        for (ListIndex list = 0; list < kListCount; ++list) {
            if (board_.List(list).Count() > 0 && (list != kUnclassified || random_() % 4 == 0))
                full.push_back(list);
        }
        if (full.empty())
            return std::nullopt;
        return full[random_() % full.size()];
    }

    ListIndex AnyList() { return static_cast<ListIndex>(random_() % kListCount); }

    void Run(Command command) {
        switch (command) {
        case Command::Intake: {
            // Mostly new files, a few already on the board (they stay out) or gone (skipped).
            const int count = 10 + static_cast<int>(random_() % 30);
            const int first = std::max(0, taken_ - static_cast<int>(random_() % 5));
            FilePathList candidates;
            for (int i = first; i < first + count && i < files_.pictureCount; ++i)
                candidates.push_back(files_.Picture(i));
            taken_ = first + count;
            AddFiles(board_, settings_, false, std::move(candidates), kUnclassified, true);
            break;
        }
        case Command::BigIntake: {
            FilePathList candidates;
            for (int i = 0; i < files_.bigCount; ++i)
                candidates.push_back(files_.BigFile(i));
            AddFiles(board_, settings_, false, std::move(candidates), 6 + static_cast<ListIndex>(random_() % 5), true);
            break;
        }
        case Command::Sort:
            moves::MoveCurrentToList(board_, 1 + static_cast<ListIndex>(random_() % 10));
            break;
        case Command::Backspace:
            if (board_.lastTouchedList() != kUnclassified)
                moves::ReturnCurrentToUnclassified(board_, board_.lastTouchedList());
            break;
        case Command::Step:
            moves::StepUnclassified(board_);
            break;
        case Command::Exclude:
            moves::ExcludeCurrent(board_, false);
            break;
        case Command::MoveAll:
            if (const auto from = FullList()) {
                moves::MoveAllEntries(board_, *from, AnyList());
                FollowUp();
            }
            break;
        case Command::Clear:
            if (const auto list = FullList()) {
                moves::ClearList(board_, *list);
                FollowUp();
            }
            break;
        case Command::Classify:
            Classify();
            break;
        case Command::Move:
        case Command::Copy:
        case Command::Trash:
            Dispose(command);
            break;
        case Command::Undo:
            board_.history().Undo();
            break;
        case Command::Redo:
            board_.history().Redo();
            break;
        }
    }

    void Classify() {
        static const char* const kFilters[] = {"*.png", "P10*", "*1?.jpg", "B100*"};
        ClassifyConditions conditions;
        conditions.sourceMode = random_() % 3 == 0 ? ClassifyConditions::kOneList : ClassifyConditions::kAllLists;
        conditions.sourceList = AnyList();
        conditions.targetMode =
            random_() % 4 == 0 ? ClassifyConditions::kToUnclassified : ClassifyConditions::kToChosen;
        conditions.targetChoice = random_() % 8 == 0 ? ClassifyConditions::kExclude : AnyList();
        conditions.nameFilterOn = true;
        conditions.nameFilter = kFilters[random_() % 4];
        RunAutoClassify(board_, conditions);
        FollowUp();
    }

    void Dispose(Command command) {
        const auto list = FullList();
        // A run of thousands of files to the trash syncs each one's note: a few hundred at most.
        if (!list || (command == Command::Trash && board_.List(*list).Count() > 400))
            return;
        const bool same = random_() % 2 == 0;
        const FilePath folder = command == Command::Trash ? FilePath() : same ? files_.Same() : files_.Other();
        bench::DisposeList(board_, disk_, prompter_, *list, folder, command == Command::Copy);
        FollowUp();
    }

    const CampaignFiles& files_;
    std::mt19937 random_;
    SettingsFile settings_;
    PosixFileSystem disk_;
    YesPrompter prompter_;
    Board board_;
    std::unique_ptr<RecoveryFiles> recoveryFiles_;
    std::unique_ptr<RecoveryJournal> journal_;
    std::deque<Command> followUps_;
    int taken_ = 0;
    int bigAt_ = 0;
};

} // namespace campaign
