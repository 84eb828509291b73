#include "board/board.h"
#include "board/command_table.h"
#include "board/moves.h"
#include "board/pane_scroll.h"
#include "resources/control_ids.h"
#include "resources/key_table.h"
#include "support/recording_owner.h"

#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::RecordingOwner;

class MovesTest : public ::testing::Test {
protected:
    void SetUp() override {
        board.AttachOwner(&owner);
        board.AppendAndShow(kUnclassified, {"a", "b", "c"}, 1);
    }
    const FilePathList& Entries(ListIndex list) const { return board.List(list).Entries(); }

    RecordingOwner owner;
    Board board;
};

TEST_F(MovesTest, SortingAndTakingBackKeepTheFilesInPlace) {
    moves::MoveCurrentToList(board, 4);
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{"a", "c"}));
    EXPECT_EQ(board.List(kUnclassified).position(), 1); // the file that followed is current
    EXPECT_EQ(Entries(4), (FilePathList{"b"}));
    EXPECT_EQ(board.lastTouchedList(), 4);
    EXPECT_TRUE(owner.IsEnabled(ids::MoveOne(4)));

    moves::ReturnCurrentToUnclassified(board, 4);
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{"a", "b", "c"}));
    EXPECT_EQ(board.List(kUnclassified).position(), 1); // back before the file it left for
    EXPECT_FALSE(owner.IsEnabled(ids::MoveOne(4)));
    EXPECT_FALSE(board.HoldsSortedEntries());
}

TEST_F(MovesTest, MovingEverythingAppendsInOrderAndAnOutsideTargetOnlyEmpties) {
    board.AppendAndShow(3, {"x"});
    moves::MoveAllEntries(board, kUnclassified, 3);
    EXPECT_EQ(Entries(3), (FilePathList{"x", "a", "b", "c"}));
    EXPECT_TRUE(Entries(kUnclassified).empty());
    EXPECT_TRUE(board.HoldsSortedEntries());

    moves::MoveAllEntries(board, 3, 11);
    EXPECT_TRUE(Entries(3).empty());
    EXPECT_EQ(board.TotalCount(), 0);
}

TEST_F(MovesTest, ReadAheadLooksForwardFirstThenBack) {
    board.AppendAndShow(kUnclassified, {"d", "e", "f"}, 1);
    EXPECT_EQ(board.ReadAheadOf(kUnclassified), (FilePathList{"c", "d", "e", "a"}));
    board.ResyncPane(kUnclassified, 5);
    EXPECT_EQ(board.ReadAheadOf(kUnclassified), (FilePathList{"e"}));
}

TEST(CommandTable, RangesPassTheirIdAndTheLatestRouteWins) {
    CommandTable table;
    std::vector<int> ran;
    table.Add(10, 20, [&ran](int id) { ran.push_back(id); });
    table.Add(15, [&ran](int id) { ran.push_back(-id); });
    EXPECT_TRUE(table.Run(12));
    EXPECT_TRUE(table.Run(15));
    EXPECT_FALSE(table.Run(21));
    EXPECT_FALSE(table.Has(9));
    EXPECT_EQ(ran, (std::vector<int>{12, -15}));
}

TEST(PaneScroll, EveryActionStaysWithinTheList) {
    EXPECT_EQ(ScrolledPosition(ScrollCode::LineDown, 4, 4, 0), 4);
    EXPECT_EQ(ScrolledPosition(ScrollCode::PageDown, 2, 4, 0), 3); // a page is one entry
    EXPECT_EQ(ScrolledPosition(ScrollCode::LineUp, 0, 4, 0), 0);
    EXPECT_EQ(ScrolledPosition(ScrollCode::ThumbTrack, 1, 4, 3), 3);
    EXPECT_EQ(ScrolledPosition(ScrollCode::Bottom, 1, 4, 0), 4);
    EXPECT_EQ(ScrolledPosition(ScrollCode::Top, 3, 4, 0), 0);
    EXPECT_EQ(ScrolledPosition(ScrollCode::EndScroll, 2, 4, 0), 2);
    EXPECT_EQ(ScrolledPosition(ScrollCode::Bottom, 0, 0, 0), 0);
}

TEST(KeyTable, DigitsAreKnownByTheirKeyWhateverTheLayout) {
    // X11 key codes 10 … 19 are the digit row; Shift+6 reads "&" on a Japanese layout.
    EXPECT_EQ(DigitKeyFor(Qt::Key_Ampersand, 15, true), Qt::Key_6);
    EXPECT_EQ(DigitKeyFor(Qt::Key_ParenLeft, 17, true), Qt::Key_8);
    EXPECT_EQ(DigitKeyFor(Qt::Key_0, 19, false), Qt::Key_0);
    EXPECT_EQ(DigitKeyFor(Qt::Key_Exclam, 0, true), Qt::Key_1); // no key code: a US layout
    EXPECT_EQ(DigitKeyFor(Qt::Key_M, 58, false), Qt::Key_M);

    ASSERT_NE(FindBoardKey(Qt::Key_0), nullptr);
    EXPECT_EQ(FindBoardKey(Qt::Key_0)->commandId, ids::NumberButton(10));
    EXPECT_EQ(FindBoardKey(Qt::Key_Delete)->route, KeyRoute::Post);
    EXPECT_EQ(FindBoardKey(Qt::Key_X), nullptr);
}

} // namespace
} // namespace pelldrake
