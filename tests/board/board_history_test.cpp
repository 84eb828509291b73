#include "board/board.h"
#include "board/moves.h"
#include "support/board_picture.h"

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

} // namespace
} // namespace pelldrake
