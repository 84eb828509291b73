#include "app/command_line.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace pelldrake {
namespace {

using testing::TempDir;

TEST(CommandLine, PathsSortIntoPicturesWorkStatesAndMissing) {
    TempDir dir;
    const FilePath picture = dir.Write("a.jpg", "jpeg");
    const FilePath folder = dir.Native("photos");
    dir.Write("photos/b.png", "png");
    const FilePath notUtf8 = dir.Touch("\xff\xfe.jpg", "jpeg");
    const FilePath byName = dir.Write("saved.PLD", "anything");
    const FilePath byMagic = dir.Write("saved.txt", "PELLDRAKEDATA\r\nVersion\r\n1.8\r\n%\r\n");
    const FilePath almost = dir.Write("notes.txt", "PelldrakeData2\r\n");
    const FilePath missing = dir.Native("gone.jpg");

    const CommandLine line = ParseCommandLine({picture, folder, notUtf8, byName, missing, byMagic, almost});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_EQ(line.intake, (FilePathList{picture, folder, notUtf8, almost}));
    EXPECT_EQ(line.workStates, (FilePathList{byName, byMagic}));
    EXPECT_EQ(line.missing, FilePathList{missing});
}

TEST(CommandLine, RelativePathsAreTakenFromTheCurrentFolder) {
    TempDir dir;
    dir.Write("here.jpg", "jpeg");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(QFile::encodeName(dir.path()).constData()), 0);
    const CommandLine line = ParseCommandLine({"here.jpg"});
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_EQ(line.intake.size(), 1u);
    EXPECT_EQ(line.intake[0].front(), '/');
    EXPECT_TRUE(line.intake[0].ends_with("/here.jpg"));
}

TEST(CommandLine, HelpAndVersionWinAndUnknownOptionsAskForUsage) {
    EXPECT_EQ(ParseCommandLine({}).action, CommandLine::Action::Run);
    EXPECT_EQ(ParseCommandLine({"--version", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(ParseCommandLine({"--bogus", "-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).action, CommandLine::Action::Version);
    EXPECT_FALSE(ParseCommandLine({}).newWindow);
    const CommandLine own = ParseCommandLine({"--new-window"});
    EXPECT_EQ(own.action, CommandLine::Action::Run);
    EXPECT_TRUE(own.newWindow);

    const CommandLine bad = ParseCommandLine({"--bogus"});
    EXPECT_EQ(bad.action, CommandLine::Action::Usage);
    EXPECT_EQ(bad.badOption, "--bogus");

    // After "--" every argument is a path, even one that looks like an option.
    const CommandLine ended = ParseCommandLine({"--", "--help"});
    EXPECT_EQ(ended.action, CommandLine::Action::Run);
    ASSERT_EQ(ended.missing.size(), 1u);
    EXPECT_TRUE(ended.missing[0].ends_with("/--help"));

    EXPECT_NE(UsageText("pelldrake").find("--version"), std::string::npos);
    EXPECT_EQ(VersionText("pelldrake").rfind("pelldrake 1.", 0), 0u);
}

} // namespace
} // namespace pelldrake
