#include "tools/column_text.h"
#include "tools/file_list_moves.h"
#include "tools/row_order.h"
#include "tools/sort_state.h"

#include <gtest/gtest.h>
#include <numeric>

namespace pelldrake {
namespace {

struct Columns {
    std::string name, extension, folder;
    bool operator==(const Columns&) const = default;
};

Columns ColumnsOf(std::string_view path, const PathText& pathText) {
    return {std::string(ColumnTextOf(path, kNameColumn, pathText)),
            std::string(ColumnTextOf(path, kExtensionColumn, pathText)),
            std::string(ColumnTextOf(path, kFolderColumn, pathText))};
}

TEST(ColumnText, SplitsNameExtensionAndFolderByWholeCharacters) {
    const Cp932CodePage cp932;
    const PathText windows(cp932, '\\');
    EXPECT_EQ(ColumnsOf("C:\\photos\\trip.2000.jpg", windows), (Columns{"trip.2000", "jpg", "C:\\photos"}));
    EXPECT_EQ(ColumnsOf("C:\\a.jpg", windows), (Columns{"a", "jpg", "C:"}));
    EXPECT_EQ(ColumnsOf("C:\\my.dir\\README", windows), (Columns{"README", "", "C:\\my.dir"}));
    EXPECT_EQ(ColumnsOf("C:\\x\\.cache", windows), (Columns{"", "cache", "C:\\x"}));
    // ソ is 0x83 0x5C: its trail byte is no separator.
    EXPECT_EQ(ColumnsOf("C:\\\x83\x5C\\\x95\x5C.png", windows), (Columns{"\x95\x5C", "png", "C:\\\x83\x5C"}));

    const PathText& native = PathText::Native();
    EXPECT_EQ(ColumnsOf("/photos/trip.2000.jpg", native), (Columns{"trip.2000", "jpg", "/photos"}));
    EXPECT_EQ(ColumnsOf("/home/ソ表/表.jpg", native), (Columns{"表", "jpg", "/home/ソ表"}));
    // A file in the root: the root separator counts, or the folder would be the whole path.
    EXPECT_EQ(ColumnsOf("/a.jpg", native), (Columns{"a", "jpg", ""}));

    ClassList list;
    list.Append("/p/b.png");
    EXPECT_EQ(ColumnText(list, 0, kExtensionColumn), "png");
    EXPECT_EQ(ColumnText(list, 0, 3), "");
    EXPECT_EQ(ColumnText(list, 1, kNameColumn), std::nullopt);
}

TEST(SortState, SameColumnTurnsTheOrderRoundAnotherStartsDescending) {
    SortState first;
    first.Click(0);
    EXPECT_TRUE(first.ascending); // the first click of a run on the name column

    SortState state;
    state.Click(1);
    EXPECT_FALSE(state.ascending);
    state.Click(1);
    EXPECT_TRUE(state.ascending);
    state.Click(0);
    EXPECT_FALSE(state.ascending);
    state.Click(2);
    EXPECT_FALSE(state.ascending);
    EXPECT_EQ(state.lastColumn, 2);
}

TEST(SortRows, OrdersByTheCodePagesCharacterValues) {
    ClassList list;
    for (const char* path : {"/x/b.jpg", "/y/a.png", "/z/c.gif", "/w/B.bmp"})
        list.Append(path);
    std::vector<int> rows{0, 1, 2, 3};
    SortRows(rows, list, kNameColumn, true);
    EXPECT_EQ(rows, (std::vector<int>{3, 1, 0, 2})); // case-sensitive: "B" before "a"
    SortRows(rows, list, kExtensionColumn, false);
    EXPECT_EQ(rows, (std::vector<int>{1, 0, 2, 3}));
    SortRows(rows, list, kFolderColumn, true);
    EXPECT_EQ(rows, (std::vector<int>{3, 0, 1, 2}));

    // ｱ (0xB1) is one byte, ア (0x83 0x41) two: by value ｱ comes first, by bytes it would not.
    const Cp932CodePage cp932;
    EXPECT_LT(CharacterOrderKey("\xB1", cp932), CharacterOrderKey("\x83\x41", cp932));
    EXPECT_LT(CharacterOrderKey("ab", cp932), CharacterOrderKey("abc", cp932));
}

// Equal texts keep the rows' order in both directions and a text comes after its own prefix. A one-byte character from
// 0x80 up (half-width kana, a byte of broken UTF-8) comes after every ASCII character and before every longer one,
// which is not where its bytes alone would put it.
TEST(SortRows, TiesKeepTheirOrderAndHighSingleBytesSortByValue) {
    ClassList list;
    for (const char* path : {"/d/ab.x", "/d/abcdefghij2.x", "/e/ab.y", "/d/a\xFF.x", "/d/a\xC3\xA9.x", "/d/aZ.x",
                             "/f/ab.z", "/d/abcdefghij1.x"})
        list.Append(path);
    const std::vector<int> start{7, 6, 5, 4, 3, 2, 1, 0};
    std::vector<int> rows = start;
    SortRows(rows, list, kNameColumn, true);
    EXPECT_EQ(rows, (std::vector<int>{5, 6, 2, 0, 7, 1, 3, 4}));
    rows = start;
    SortRows(rows, list, kNameColumn, false);
    EXPECT_EQ(rows, (std::vector<int>{4, 3, 1, 7, 6, 2, 0, 5}));
    rows = start;
    SortRows(rows, list, kFolderColumn, false);
    EXPECT_EQ(rows, (std::vector<int>{6, 2, 7, 5, 4, 3, 1, 0}));
    // Enough rows that the sort splits them up rather than inserting them one by one.
    ClassList same;
    for (int i = 0; i < 40; ++i)
        same.Append("/s/f" + std::to_string(i) + ".x");
    std::vector<int> many(40);
    std::iota(many.rbegin(), many.rend(), 0);
    const std::vector<int> manyBefore = many;
    SortRows(many, same, kExtensionColumn, true);
    EXPECT_EQ(many, manyBefore);

    const Cp932CodePage cp932;
    const PathText windows(cp932, '\\');
    ClassList kana;
    for (const char* path : {"C:\\x\\a.\xB1", "C:\\x\\b.\x83\x41", "C:\\x\\c.A", "C:\\x\\d.\x83"})
        kana.Append(path);
    rows = {0, 1, 2, 3};
    SortRows(rows, kana, kExtensionColumn, true, windows);
    EXPECT_EQ(rows, (std::vector<int>{2, 3, 0, 1}));
}

// Moving rows to another list runs through the window's test; these are the other two targets.
TEST(FileListMoves, DropLeavesTheBoardAndSameListGoesToItsEndReversed) {
    Board board;
    ChangedLists changed{};
    for (char c = 'a'; c <= 'h'; ++c)
        board.List(0).Append(std::string(1, c));
    board.List(4).Append("x");
    MoveEntries(board, 0, kDropFromBoard, {0, 1, 99}, changed);
    EXPECT_EQ(board.List(0).Entries(), (FilePathList{"c", "d", "e", "f", "g", "h"}));
    EXPECT_EQ(board.TotalCount(), 7);
    MoveEntries(board, 0, 0, {0, 2}, changed);
    EXPECT_EQ(board.List(0).Entries(), (FilePathList{"d", "f", "g", "h", "e", "c"}));
    EXPECT_EQ(changed, (ChangedLists{true}));
}

} // namespace
} // namespace pelldrake
