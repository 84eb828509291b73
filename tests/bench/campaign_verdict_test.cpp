// The kill campaign's judge: what it calls exact, midway or partial, and which entries and files it
// counts as out of step. A judge that forgives too much would let the campaign pass over the very
// faults it is there to find.

#include "../../bench/campaign_verdict.h"

#include <gtest/gtest.h>
#include <initializer_list>

namespace campaign {
namespace {

const CampaignFiles& Files() {
    static const CampaignFiles files{"/r", "/o"};
    return files;
}

FilePath Origin(const char* name) {
    return Files().Pictures() + "/" + name;
}
FilePath Same(const char* name) {
    return Files().Same() + "/" + name;
}
FilePath Other(const char* name) {
    return Files().Other() + "/" + name;
}

HashSet Hashes(std::initializer_list<FilePath> paths) {
    HashList hashes;
    for (const FilePath& path : paths)
        hashes.push_back(PathHash(path));
    return detail::Sorted(std::move(hashes));
}

Lists OneList(ListIndex list, std::initializer_list<FilePath> paths) {
    Lists lists;
    for (const FilePath& path : paths)
        lists[static_cast<std::size_t>(list)].push_back(PathHash(path));
    return lists;
}

BoardState State(const Lists& lists, std::initializer_list<FilePath> files) {
    BoardState state;
    for (std::size_t i = 0; i < lists.size(); ++i)
        state.lists[i] = std::make_shared<HashList>(lists[i]);
    state.listing = std::make_shared<HashSet>(Hashes(files));
    return state;
}

// Killed inside the one command that leads from before to after.
Verdict JudgeOne(const BoardState& before, const BoardState& after, const Lists& recovered,
                 std::initializer_list<FilePath> filesNow, BoardMarks marks = {}) {
    std::unordered_map<std::uint64_t, FilePath> names;
    for (const char* name : {"a", "b", "c"})
        names.emplace(PathHash(Origin(name)), Origin(name));
    return Judge({before, after}, 0, false, recovered, marks, Hashes(filesNow), Files(), names);
}

using Kind = Verdict::Kind;

TEST(CampaignVerdict, ListsAgainstTheStateBeforeAndAfterTheCommand) {
    const BoardState before = State(OneList(6, {}), {Origin("a"), Origin("b"), Origin("c")});
    const BoardState after =
        State(OneList(6, {Origin("a"), Origin("b"), Origin("c")}), {Origin("a"), Origin("b"), Origin("c")});
    EXPECT_EQ(JudgeOne(before, after, OneList(6, {}), {Origin("a"), Origin("b"), Origin("c")}).lists, Kind::Before);
    EXPECT_EQ(JudgeOne(before, after, OneList(6, {Origin("a"), Origin("b"), Origin("c")}),
                       {Origin("a"), Origin("b"), Origin("c")})
                  .lists,
              Kind::After);
    // A torn intake or redo of one: no file moved, so nothing excuses the missing entry.
    const Verdict torn =
        JudgeOne(before, after, OneList(6, {Origin("a"), Origin("b")}), {Origin("a"), Origin("b"), Origin("c")});
    EXPECT_EQ(torn.lists, Kind::Partial);
    EXPECT_TRUE(torn.missing.empty());
    // Positions count; but from an empty board start-up offers nothing, positions included.
    BoardMarks moved;
    moved.lastTouched = 6;
    EXPECT_EQ(JudgeOne(after, before, OneList(6, {Origin("a"), Origin("b"), Origin("c")}),
                       {Origin("a"), Origin("b"), Origin("c")}, moved)
                  .lists,
              Kind::Partial);
    EXPECT_EQ(JudgeOne(after, before, OneList(6, {}), {Origin("a"), Origin("b"), Origin("c")}, moved).lists,
              Kind::After);
}

TEST(CampaignVerdict, EntriesAndFilesOutOfStep) {
    // A move of list 3 killed after two files: the lists as before name two files that are gone,
    // and the moved files in their folder are unnamed, as they are after the move.
    const BoardState listed =
        State(OneList(3, {Origin("a"), Origin("b"), Origin("c")}), {Origin("a"), Origin("b"), Origin("c")});
    const BoardState moved = State(OneList(3, {}), {Same("a"), Same("b"), Same("c")});
    const Verdict move = JudgeOne(listed, moved, OneList(3, {Origin("a"), Origin("b"), Origin("c")}),
                                  {Same("a"), Same("b"), Origin("c")});
    EXPECT_EQ(move.lists, Kind::Before);
    EXPECT_EQ(move.missing, Hashes({Origin("a"), Origin("b")}));
    EXPECT_TRUE(move.unnamed.empty());
    // Its undo killed after one file came back: the lists as before the undo do not name it.
    const Verdict undo = JudgeOne(moved, listed, OneList(3, {}), {Origin("a"), Same("b"), Same("c")});
    EXPECT_EQ(undo.lists, Kind::Before);
    EXPECT_TRUE(undo.missing.empty());
    EXPECT_EQ(undo.unnamed, Hashes({Origin("a")}));
    // A copy leaves its sources unnamed, and its copies: nothing out of step.
    const BoardState copied =
        State(OneList(3, {}), {Origin("a"), Origin("b"), Origin("c"), Other("a"), Other("b"), Other("c")});
    const Verdict copy = JudgeOne(listed, copied, OneList(3, {}), {Origin("a"), Origin("b"), Origin("c"), Other("a")});
    EXPECT_EQ(copy.lists, Kind::After);
    EXPECT_TRUE(copy.missing.empty());
    EXPECT_TRUE(copy.unnamed.empty());
}

TEST(CampaignVerdict, MidwayOnlyWhereTheListsFollowTheFilesMoved) {
    const BoardState listed =
        State(OneList(3, {Origin("a"), Origin("b"), Origin("c")}), {Origin("a"), Origin("b"), Origin("c")});
    const BoardState moved = State(OneList(3, {}), {Same("a"), Same("b"), Same("c")});
    EXPECT_EQ(JudgeOne(listed, moved, OneList(3, {Origin("c")}), {Same("a"), Same("b"), Origin("c")}).lists,
              Kind::Midway);
    EXPECT_EQ(JudgeOne(moved, listed, OneList(3, {Origin("a")}), {Origin("a"), Same("b"), Same("c")}).lists,
              Kind::Midway);
    // An entry kept for a file that went is no midway.
    const Verdict ahead =
        JudgeOne(listed, moved, OneList(3, {Origin("b"), Origin("c")}), {Same("a"), Same("b"), Origin("c")});
    EXPECT_EQ(ahead.lists, Kind::Partial);
    EXPECT_EQ(ahead.missing, Hashes({Origin("b")}));
    // A copy cut between files, its list holding the entries not yet copied.
    const BoardState copied =
        State(OneList(3, {}), {Origin("a"), Origin("b"), Origin("c"), Other("a"), Other("b"), Other("c")});
    EXPECT_EQ(JudgeOne(listed, copied, OneList(3, {Origin("b"), Origin("c")}),
                       {Origin("a"), Origin("b"), Origin("c"), Other("a")})
                  .lists,
              Kind::Midway);
    // Entries out of their order, or in another list, are no midway.
    EXPECT_EQ(
        JudgeOne(listed, moved, OneList(3, {Origin("c"), Origin("b")}), {Same("a"), Origin("b"), Origin("c")}).lists,
        Kind::Partial);
    EXPECT_EQ(JudgeOne(listed, moved, OneList(4, {Origin("c")}), {Same("a"), Same("b"), Origin("c")}).lists,
              Kind::Partial);
}

} // namespace
} // namespace campaign
