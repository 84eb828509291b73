#include "platform/scratch_file.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace pelldrake {
namespace {

TEST(ScratchFileTest, HoldsWhatIsWrittenUnderNoNameAndGivesItBack) {
    const testing::TempDir temp;
    // A folder under a plain file takes nothing: the next one is used.
    const FilePath blocked = temp.Touch("plain") + "/scratch";
    const FilePath folder = temp.Native(QStringLiteral("scratch"));
    ScratchFile scratch({blocked, folder});
    const std::string first(3 << 20, 'a');
    const std::string second = "the second extent";
    const auto one = scratch.Reserve(first.size());
    const auto two = scratch.Reserve(second.size());
    ASSERT_TRUE(one && two);
    EXPECT_EQ(scratch.held(), first.size() + second.size());
    EXPECT_TRUE(scratch.Write(two->offset, second.data(), second.size()));
    EXPECT_TRUE(scratch.Write(one->offset, first.data(), first.size()));

    std::string read(second.size(), '\0');
    EXPECT_TRUE(scratch.Read(two->offset, read.data(), read.size()));
    EXPECT_EQ(read, second);
    read.assign(first.size(), '\0');
    EXPECT_TRUE(scratch.Read(one->offset, read.data(), read.size()));
    EXPECT_EQ(read, first);
    // Nothing another program could open, nothing left behind by a kill.
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    scratch.Release(*one);
    EXPECT_EQ(scratch.held(), second.size());
    read.assign(second.size(), '\0');
    EXPECT_TRUE(scratch.Read(two->offset, read.data(), read.size()));
    EXPECT_EQ(read, second);
    scratch.Release(*two);
    EXPECT_EQ(scratch.held(), 0u);
    // Nothing held: the room starts over from the front.
    const auto again = scratch.Reserve(16);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->offset, 0u);
}

TEST(ScratchFileTest, NoFolderThatTakesAFileReservesNothing) {
    const testing::TempDir temp;
    ScratchFile scratch({temp.Touch("plain") + "/scratch"});
    EXPECT_FALSE(scratch.Reserve(16));
}

} // namespace
} // namespace pelldrake
