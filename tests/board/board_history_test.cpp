#include "board/board.h"
#include "board/moves.h"
#include "core/progress.h"
#include "support/board_picture.h"
#include "support/temp_dir.h"

#include <functional>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::BoardPicture;
using testing::PictureOf;

TEST(BoardHistoryTest, EveryKindOfChangeIsTakenBackAndDoneAgainExactly) {
    Board board;
    board.AppendAndShow(kUnclassified, {"a", "b", "c", "d", "e"}, 2);
    board.AppendAndShow(4, {"x", "y"}, 1);
    board.history().Forget();
    const std::vector<std::function<void()>> changes{
        [&] { moves::MoveCurrentToList(board, 3); },
        [&] { moves::ReturnCurrentToUnclassified(board, 4); },
        [&] { moves::MoveAllEntries(board, kUnclassified, 4); },
        [&] { moves::MoveAllEntries(board, 4, kUnclassified); },
        [&] { moves::ExcludeCurrent(board, false); },
        [&] {
            board.AppendAndShow(kUnclassified, {"n1", "n2"});
        },
        [&] { moves::ExcludeCurrent(board, true); },
        // Into an empty list the paths go in one step.
        [&] {
            board.AppendAndShow(7, {"p1", "p2", "p3"});
        },
        [&] { moves::ClearAll(board); },
    };
    std::vector<BoardPicture> states{PictureOf(board)};
    for (const auto& change : changes) {
        {
            const BoardHistory::Scope step(board.history());
            change();
            moves::StepUnclassified(board);
        }
        states.push_back(PictureOf(board));
    }
    for (std::size_t i = changes.size(); i > 0; --i) {
        ASSERT_TRUE(board.history().Undo());
        EXPECT_EQ(PictureOf(board), states[i - 1]) << "undo of change " << i;
    }
    EXPECT_FALSE(board.history().Undo());
    for (std::size_t i = 1; i <= changes.size(); ++i) {
        ASSERT_TRUE(board.history().Redo());
        EXPECT_EQ(PictureOf(board), states[i]) << "redo of change " << i;
    }
    EXPECT_FALSE(board.history().Redo());
}

TEST(BoardHistoryTest, SteppingIsNoStepAndTheOldestStepsGoBeyondTheBudget) {
    Board board;
    board.AppendAndShow(kUnclassified, {"a", "b", "c", "d"});
    board.history().Forget();
    {
        const BoardHistory::Scope step(board.history());
        moves::StepUnclassified(board);
    }
    EXPECT_FALSE(board.history().CanUndo());

    for (int i = 0; i < 4; ++i) {
        const BoardHistory::Scope step(board.history());
        moves::MoveCurrentToList(board, 1 + i);
    }
    EXPECT_EQ(board.history().undoCount(), 4);
    const std::size_t budget = board.history().bytes() / 2;
    board.history().setBudget(budget);
    EXPECT_LE(board.history().bytes(), budget);
    EXPECT_GE(board.history().undoCount(), 1);
    EXPECT_LT(board.history().undoCount(), 4);
    while (board.history().Undo()) {
    }
    // The newest steps were kept: the oldest sort stays done.
    EXPECT_EQ(board.List(1).Count(), 1);
    EXPECT_EQ(board.List(4).Count(), 0);
}

// Paths long enough to be held outside their strings, as real ones are.
FilePathList CardPaths(int count) {
    FilePathList paths;
    for (int i = 0; i < count; ++i)
        paths.push_back("/media/card/DCIM/100CANON/IMG_" + std::to_string(10000 + i) + ".JPG");
    return paths;
}

// The user presses "中止" before the first piece is read.
struct StopAtOnce : ProgressSink {
    void Report(std::size_t, std::size_t, std::string_view) override {}
    bool StopRequested() override { return true; }
};

// Runs one command as one step and keeps the picture of the board after it.
struct Steps {
    Board& board;
    std::vector<BoardPicture> states{PictureOf(board)};
    void Run(const std::function<void()>& change) {
        {
            const BoardHistory::Scope step(board.history());
            change();
        }
        states.push_back(PictureOf(board));
    }
};

TEST(BoardHistoryTest, AStepOverTheBudgetIsKeptOnTheDiskAndEveryStepStaysUndoable) {
    const testing::TempDir scratch;
    Board board;
    BoardHistory& history = board.history();
    history.setScratchFolder(scratch.Native(QStringLiteral("scratch")));
    board.AppendAndShow(kUnclassified, CardPaths(3000), 0);
    history.Forget();
    constexpr std::size_t kBudget = std::size_t{16} << 10;
    history.setBudget(kBudget);
    Steps steps{board};
    for (ListIndex n = 1; n <= 5; ++n)
        steps.Run([&] { moves::MoveCurrentToList(board, n); });
    steps.Run([&] { moves::MoveAllEntries(board, kUnclassified, 6); });
    EXPECT_EQ(history.undoCount(), 6);
    EXPECT_LE(history.bytes(), kBudget);
    history.WaitUntilWritten();
    EXPECT_GT(history.diskBytes(), 0u);

    // Stopped while it reads the step back, undo changes nothing and the step stays.
    history.setReadBackProgress([] { return std::make_unique<StopAtOnce>(); });
    EXPECT_FALSE(history.Undo());
    EXPECT_EQ(PictureOf(board), steps.states.back());
    EXPECT_EQ(history.undoCount(), 6);
    history.setReadBackProgress(nullptr);

    for (std::size_t i = steps.states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(history.Undo()) << "undo of step " << i;
        EXPECT_EQ(PictureOf(board), steps.states[i - 1]) << "undo of step " << i;
        EXPECT_LE(history.bytes(), kBudget);
    }
    EXPECT_FALSE(history.Undo());
    // What undo took out of list 6 waits on the disk for its redo.
    history.WaitUntilWritten();
    EXPECT_GT(history.diskBytes(), 0u);
    for (std::size_t i = 1; i < steps.states.size(); ++i) {
        ASSERT_TRUE(history.Redo()) << "redo of step " << i;
        EXPECT_EQ(PictureOf(board), steps.states[i]) << "redo of step " << i;
    }
    EXPECT_FALSE(history.Redo());
}

TEST(BoardHistoryTest, StepsOnTheDiskBeyondTheirBoundGoOldestFirst) {
    const testing::TempDir scratch;
    Board board;
    BoardHistory& history = board.history();
    history.setScratchFolder(scratch.Native(QStringLiteral("scratch")));
    board.AppendAndShow(kUnclassified, CardPaths(3000), 0);
    history.Forget();
    Steps steps{board};
    steps.Run([&] { moves::MoveAllEntries(board, kUnclassified, 6); });
    // Room on the disk for one such step, not for two.
    history.setDiskBudget(history.bytes() * 3 / 2);
    history.setBudget(std::size_t{16} << 10);
    steps.Run([&] { moves::ReturnCurrentToUnclassified(board, 6); });
    steps.Run([&] { moves::MoveAllEntries(board, 6, 7); });
    EXPECT_EQ(history.undoCount(), 2);
    ASSERT_TRUE(history.Undo());
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(PictureOf(board), steps.states[1]);
    EXPECT_FALSE(history.Undo());
}

} // namespace
} // namespace pelldrake
