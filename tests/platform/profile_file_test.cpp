#include "platform/profile_file.h"

#include "support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::TempDir;

class ProfileFileTest : public ::testing::Test {
protected:
    TempDir dir;
    ProfileFile Profile(const QString& name = "p.INI") const { return ProfileFile(dir.FilePath(name)); }
};

TEST_F(ProfileFileTest, ReadsTextAndIntegersWithDefaults) {
    dir.Write("p.INI", "; comment\r\n[Dialog]\r\nmode = 2\r\nEmpty=\r\nneg=-1\r\nformula=a=b\r\n[OTHER]\r\nMODE=9\r\n");
    const ProfileFile profile = Profile();
    EXPECT_EQ(profile.ReadText("DIALOG", "MODE", "0"), "2");
    EXPECT_EQ(profile.ReadText("dialog", "Mode", "0"), "2");
    EXPECT_EQ(profile.ReadText("DIALOG", "EMPTY", "x"), "");
    EXPECT_EQ(profile.ReadText("DIALOG", "MISSING", "x"), "x");
    EXPECT_EQ(profile.ReadText("NOSECTION", "MODE", "d"), "d");
    EXPECT_EQ(profile.ReadText("DIALOG", "FORMULA", ""), "a=b");
    EXPECT_EQ(profile.ReadInt("DIALOG", "NEG", 5), -1);
    EXPECT_EQ(profile.ReadInt("DIALOG", "MISSING", 7), 7);
    EXPECT_EQ(profile.ReadInt("OTHER", "MODE", 0), 9);
}

TEST_F(ProfileFileTest, LfAndCrLfFilesReadAlike) {
    dir.Write("lf.INI", "[A]\nK=v\n");
    dir.Write("crlf.INI", "[A]\r\nK=v\r\n");
    EXPECT_EQ(Profile("lf.INI").ReadText("A", "K", ""), "v");
    EXPECT_EQ(Profile("crlf.INI").ReadText("A", "K", ""), "v");
}

TEST_F(ProfileFileTest, BadInputGivesDefaults) {
    EXPECT_EQ(Profile("missing.INI").ReadText("A", "K", "d"), "d");
    QDir(dir.path()).mkdir("folder.INI");
    EXPECT_EQ(Profile("folder.INI").ReadInt("A", "K", 3), 3);
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 131 + 7) & 0xFF);
    dir.Write("garbage.INI", garbage);
    EXPECT_EQ(Profile("garbage.INI").ReadText("A", "K", "d"), "d");
    const QByteArray longLine(100 * 1024, 'x');
    dir.Write("long.INI", "[A]\r\n" + longLine + "\r\nK=" + longLine + "\r\nJ=1\r\n");
    EXPECT_EQ(Profile("long.INI").ReadText("A", "K", "").size(), longLine.size());
    EXPECT_EQ(Profile("long.INI").ReadInt("A", "J", 0), 1);
}

TEST_F(ProfileFileTest, WriteCreatesFileSectionAndKey) {
    const ProfileFile profile = Profile();
    EXPECT_TRUE(profile.WriteText("EXTFILTER", "ENABLE", "1"));
    EXPECT_EQ(dir.Read("p.INI"), "[EXTFILTER]\r\nENABLE=1\r\n");
    EXPECT_TRUE(profile.WriteText("EXTFILTER", "COUNT", "2"));
    EXPECT_TRUE(profile.WriteText("DIALOG", "MODE", "1"));
    EXPECT_EQ(dir.Read("p.INI"), "[EXTFILTER]\r\nENABLE=1\r\nCOUNT=2\r\n[DIALOG]\r\nMODE=1\r\n");
    EXPECT_EQ(profile.ReadText("EXTFILTER", "COUNT", ""), "2");
}

TEST_F(ProfileFileTest, WriteReplacesOnlyThatKeyAndKeepsEveryOtherLine) {
    const QByteArray before = "; my settings\n\n[dialog]\nmode=0\n; keep me\nOther = x\n\n[VIEWER]\nUSEIE=0\n";
    dir.Write("p.INI", before);
    EXPECT_TRUE(Profile().WriteText("DIALOG", "MODE", "2"));
    EXPECT_EQ(dir.Read("p.INI"), "; my settings\n\n[dialog]\nmode=2\n; keep me\nOther = x\n\n[VIEWER]\nUSEIE=0\n");
    EXPECT_TRUE(Profile().WriteText("DIALOG", "NEW", "n"));
    EXPECT_EQ(dir.Read("p.INI"),
              "; my settings\n\n[dialog]\nmode=2\n; keep me\nOther = x\nNEW=n\n\n[VIEWER]\nUSEIE=0\n");
}

TEST_F(ProfileFileTest, WriteExtendsAFileWithoutFinalLineEnd) {
    dir.Write("p.INI", "[A]\r\nK=1");
    EXPECT_TRUE(Profile().WriteText("A", "J", "2"));
    EXPECT_EQ(dir.Read("p.INI"), "[A]\r\nK=1\r\nJ=2\r\n");
    EXPECT_TRUE(Profile().WriteText("B", "K", "3"));
    EXPECT_EQ(Profile().ReadText("B", "K", ""), "3");
    EXPECT_EQ(Profile().ReadText("A", "K", ""), "1");
}

TEST_F(ProfileFileTest, UnwritableFileKeepsItsOldContents) {
    const QByteArray before = "[A]\r\nK=1\r\n";
    QDir(dir.path()).mkdir("ro");
    dir.Write("ro/p.INI", before);
    QFile::setPermissions(dir.FilePath("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const ProfileFile profile(dir.FilePath("ro/p.INI"));
    if (QFileInfo(dir.FilePath("ro")).isWritable())
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    EXPECT_FALSE(profile.WriteText("A", "K", "2"));
    EXPECT_EQ(dir.Read("ro/p.INI"), before);
    QFile::setPermissions(dir.FilePath("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(ProfileFileTest, FileOnAReadOnlySystemKeepsItsContents) {
    // Holds also for root, whom folder permissions do not stop.
    const ProfileFile profile("/proc/version");
    QFile file("/proc/version");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    EXPECT_FALSE(profile.WriteText("A", "K", "1"));
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(ProfileFileTest, WritingToAFolderFailsQuietly) {
    QDir(dir.path()).mkdir("folder.INI");
    EXPECT_FALSE(Profile("folder.INI").WriteText("A", "K", "1"));
    EXPECT_TRUE(QFileInfo(dir.FilePath("folder.INI")).isDir());
}

TEST(ParseLeadingInt, ReadsNumbersAsText) {
    EXPECT_EQ(ParseLeadingInt(" 1x"), 1);
    EXPECT_EQ(ParseLeadingInt("-1"), -1);
    EXPECT_EQ(ParseLeadingInt("+7"), 7);
    EXPECT_EQ(ParseLeadingInt(""), 0);
    EXPECT_EQ(ParseLeadingInt("abc"), 0);
    EXPECT_EQ(ParseLeadingInt("-"), 0);
    EXPECT_EQ(ParseLeadingInt("99999999999999"), 2147483647);
    EXPECT_EQ(ParseLeadingInt("-99999999999999"), -2147483647 - 1);
}

} // namespace
} // namespace pelldrake
