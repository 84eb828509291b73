#include "board/board.h"
#include "resources/control_ids.h"

#include "support/recording_owner.h"

#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::RecordingOwner;

TEST(ClassList, KeepsInsertionOrderAndInsertsBeforeOrAppends) {
    ClassList list;
    list.InsertBefore(0, "b"); // empty list: appends
    list.Append("d");
    list.InsertBefore(0, "a");
    list.InsertBefore(2, "c");
    list.InsertBefore(list.Count(), "e"); // at the count: appends
    list.InsertBefore(99, "f");
    ASSERT_EQ(list.Count(), 6);
    EXPECT_EQ(list.Entries(), (std::vector<FilePath>{"a", "b", "c", "d", "e", "f"}));
    list.RemoveAt(0);
    list.RemoveAt(4);
    list.RemoveAt(7); // out of range: nothing
    EXPECT_EQ(list.Entries(), (std::vector<FilePath>{"b", "c", "d", "e"}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(ClassList, PositionStaysWithinItsRange) {
    ClassList list;
    list.SetPosition(5);
    EXPECT_EQ(list.position(), 0);
    EXPECT_FALSE(list.HasCurrent());
    list.Append("a");
    list.Append("b");
    list.SetPosition(5);
    EXPECT_EQ(list.position(), 1);
    list.SetPosition(-3);
    EXPECT_EQ(list.position(), 0);
    EXPECT_TRUE(list.HasCurrent());
}

TEST(ClassList, RemovingTheOnlyEntryDisablesItsControls) {
    RecordingOwner owner;
    ClassList list;
    list.SetDependentControls({1131, 1111, 1171}, &owner);
    list.Append("/a.jpg");
    list.UpdateControls();
    EXPECT_TRUE(owner.IsEnabled(1131));
    list.RemoveAt(0);
    list.UpdateControls();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.position(), 0);
    EXPECT_FALSE(list.HasCurrent());
    EXPECT_FALSE(owner.IsEnabled(1131));
    EXPECT_FALSE(owner.IsEnabled(1111));
    EXPECT_FALSE(owner.IsEnabled(1171));
}

TEST(ClassList, BulkUpdateEnablesTheControlsOnceAndAlwaysEnds) {
    RecordingOwner owner;
    ClassList list;
    list.SetDependentControls({1130, 1005}, &owner);
    {
        BulkUpdate bulk(list);
        for (int i = 0; i < 100; ++i) {
            list.Append("/f" + std::to_string(i));
            list.UpdateControls();
        }
        EXPECT_EQ(owner.enableCalls, 0);
        EXPECT_EQ(owner.focusCalls, 0);
    }
    EXPECT_FALSE(list.InBulkUpdate());
    EXPECT_EQ(owner.enableCalls, 2);
    EXPECT_EQ(owner.focusCalls, 1);
    EXPECT_TRUE(owner.IsEnabled(1130));

    // Leaving early by an exception still ends the bulk update.
    try {
        BulkUpdate bulk(list);
        throw std::runtime_error("early exit");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(list.InBulkUpdate());
}

TEST(Board, DependentControlSetsFollowTheTable) {
    const std::vector<int> unclassified = Board::DependentControlsOf(0);
    EXPECT_EQ(unclassified.size(), 13u);
    for (int id : {1191, 1130, 1005, 1090, 1095, 1099})
        EXPECT_NE(std::find(unclassified.begin(), unclassified.end(), id), unclassified.end()) << id;
    EXPECT_EQ(Board::DependentControlsOf(1), (std::vector<int>{1131, 1110, 1170}));
    EXPECT_EQ(Board::DependentControlsOf(10), (std::vector<int>{1140, 1119, 1179}));
}

TEST(Board, AttachingAnOwnerStartsEveryDependentControlDisabled) {
    RecordingOwner owner;
    Board board;
    board.AttachOwner(&owner);
    for (ListIndex i = 0; i < kListCount; ++i) {
        for (int id : Board::DependentControlsOf(i)) {
            EXPECT_TRUE(owner.Knows(id)) << id;
            EXPECT_FALSE(owner.IsEnabled(id)) << id;
        }
    }
    // The enlarge buttons, the list button and the expand toggle are never touched.
    for (int id : {ids::Enlarge(0), ids::Enlarge(10), ids::kListButton, ids::kExpandToggle, ids::kCancel})
        EXPECT_FALSE(owner.Knows(id)) << id;
    EXPECT_EQ(board.lastTouchedList(), 0);
}

TEST(Board, ResyncPaneClampsThePositionAndShowsThePane) {
    RecordingOwner owner;
    Board board;
    board.AttachOwner(&owner);
    for (const char* path : {"a", "b", "c", "d", "e"})
        board.List(3).Append(path);
    board.ResyncPane(3, 9);
    EXPECT_EQ(board.List(3).position(), 4);
    EXPECT_EQ(owner.scrollMax[3], 4);
    EXPECT_EQ(owner.scrollPos[3], 4);
    EXPECT_EQ(owner.shownCurrent.back(), 3);
    EXPECT_EQ(owner.shownTitle.back(), 3);
    board.List(3).RemoveAt(4);
    board.List(3).RemoveAt(3);
    board.ResyncPane(3); // no new position: the present one, clamped
    EXPECT_EQ(board.List(3).position(), 2);
    board.ResyncPane(3, 1);
    EXPECT_EQ(owner.scrollPos[3], 1);
}

TEST(Board, PaneTitlesCountFromOneAndShowZeroWhenEmpty) {
    Board board;
    EXPECT_EQ(board.PaneTitle(0), QString::fromUtf8("未分類(0/0)"));
    EXPECT_EQ(board.PaneTitle(10), QString::fromUtf8("分類10(0/0)"));
    board.List(0).Append("a");
    board.List(0).Append("b");
    board.List(0).SetPosition(1);
    EXPECT_EQ(board.PaneTitle(0), QString::fromUtf8("未分類(2/2)"));
    board.List(4).Append("x");
    EXPECT_EQ(board.PaneTitle(4), QString::fromUtf8("分類4(1/1)"));
    EXPECT_EQ(board.TotalCount(), 3);
}

} // namespace
} // namespace pelldrake
