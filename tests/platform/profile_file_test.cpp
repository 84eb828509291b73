#include "platform/profile_file.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

TEST_F(ProfileFileTest, NeverReplacesAFileItCouldNotReadWhole) {
    QByteArray large = "[A]\r\nK=1\r\n";
    large += QByteArray(16 * 1024 * 1024, ';');
    dir.Write("large.INI", large);
    EXPECT_FALSE(Profile("large.INI").WriteText("A", "J", "2"));
    EXPECT_EQ(QFileInfo(dir.FilePath("large.INI")).size(), large.size());

    if (::getuid() != 0) { // root reads a file without read permission
        dir.Write("writeonly.INI", "[A]\r\nK=1\r\n");
        ::chmod(dir.Native("writeonly.INI").c_str(), 0200);
        EXPECT_FALSE(Profile("writeonly.INI").WriteText("A", "J", "2"));
        ::chmod(dir.Native("writeonly.INI").c_str(), 0600);
        EXPECT_EQ(dir.Read("writeonly.INI"), "[A]\r\nK=1\r\n");
    }
}

TEST_F(ProfileFileTest, KeysAndValuesStayOneLine) {
    const QByteArray before = "[EXTFILTER]\r\nEXT00=jpg\r\n";
    dir.Write("p.INI", before);
    const ProfileFile profile = Profile();
    EXPECT_FALSE(profile.WriteText("EXTFILTER", "EXT00", "jpg\n[VIEWER]\nDELTHUMBDB=1"));
    EXPECT_FALSE(profile.WriteText("EXTFILTER", "EXT00", "jpg\rDELTHUMBDB=1"));
    EXPECT_FALSE(profile.WriteText("EXTFILTER", "EXT00", std::string("jpg\0x", 5)));
    EXPECT_FALSE(profile.WriteText("EXTFILTER", "K\nX", "1"));
    EXPECT_FALSE(profile.WriteText("EXTFILTER", "K=X", "1"));
    EXPECT_FALSE(profile.WriteText("EXTFILTER", "[K", "]"));
    EXPECT_FALSE(profile.WriteText("EXTFILTER", "", "1"));
    EXPECT_FALSE(profile.WriteText("A]\r\n[VIEWER", "DELTHUMBDB", "1"));
    EXPECT_EQ(dir.Read("p.INI"), before);
    EXPECT_EQ(profile.ReadText("VIEWER", "DELTHUMBDB", "0"), "0");
}

TEST_F(ProfileFileTest, SpecialFilesAndPermissionsAreRespected) {
    const std::string fifo = dir.Native("fifo.INI");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(Profile("fifo.INI").WriteText("A", "K", "1"));
    QFile::link(dir.FilePath("fifo.INI"), dir.FilePath("tofifo.INI"));
    EXPECT_FALSE(Profile("tofifo.INI").WriteText("A", "K", "1"));
    struct stat info {};
    EXPECT_TRUE(::stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
    EXPECT_TRUE(QFileInfo(dir.FilePath("tofifo.INI")).isSymLink());

    // A link to a regular file is written through and stays a link.
    dir.Write("real.INI", "[A]\nK=1\n");
    QFile::link(dir.FilePath("real.INI"), dir.FilePath("link.INI"));
    EXPECT_TRUE(Profile("link.INI").WriteText("A", "K", "2"));
    EXPECT_TRUE(QFileInfo(dir.FilePath("link.INI")).isSymLink());
    EXPECT_EQ(dir.Read("real.INI"), "[A]\nK=2\n");

    // No write bit at all: kept as it is, also by root.
    const std::string readOnly = dir.Write("ro.INI", "[A]\nK=1\n");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_FALSE(Profile("ro.INI").WriteText("A", "K", "2"));
    EXPECT_EQ(dir.Read("ro.INI"), "[A]\nK=1\n");

    // A rewrite keeps mode and owner; an owner other than ourselves only root can test.
    const std::string shared = dir.Write("shared.INI", "[A]\nK=1\n");
    const bool root = ::getuid() == 0;
    const mode_t mode = root ? 02460 : 0640;
    ::chmod(shared.c_str(), mode);
    if (root) {
        ASSERT_EQ(::chown(shared.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::stat(shared.c_str(), &info), 0);
    const struct stat old = info;
    EXPECT_TRUE(Profile("shared.INI").WriteText("A", "K", "2"));
    ASSERT_EQ(::stat(shared.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, old.st_uid);
    EXPECT_EQ(info.st_gid, old.st_gid);
    EXPECT_EQ(info.st_mode & 07777, mode);
    EXPECT_EQ(dir.Read("shared.INI"), "[A]\nK=2\n");
}

TEST_F(ProfileFileTest, ByteOrderMarkAndLoneCarriageReturns) {
    dir.Write("bom.INI", "\xEF\xBB\xBF[A]\r\nK=1\r\n");
    EXPECT_EQ(Profile("bom.INI").ReadText("A", "K", ""), "1");
    EXPECT_TRUE(Profile("bom.INI").WriteText("A", "J", "2"));
    EXPECT_EQ(dir.Read("bom.INI"), "\xEF\xBB\xBF[A]\r\nK=1\r\nJ=2\r\n");

    dir.Write("cr.INI", "[A]\rK=1\rJ= 2 \r");
    EXPECT_EQ(Profile("cr.INI").ReadText("A", "K", ""), "1");
    EXPECT_EQ(Profile("cr.INI").ReadText("A", "J", ""), "2");
    EXPECT_TRUE(Profile("cr.INI").WriteText("A", "K", "3"));
    EXPECT_EQ(dir.Read("cr.INI"), "[A]\rK=3\rJ= 2 \r");
}

TEST_F(ProfileFileTest, ParsedOnceYetSeesEveryChange) {
    dir.Write("p.INI", "[A]\nK=1\n");
    const ProfileFile profile = Profile();
    const ProfileFile copy = profile;
    EXPECT_EQ(profile.ReadText("A", "K", ""), "1");
    dir.Write("p.INI", "[A]\nK=2\n"); // same size, same inode, at once
    EXPECT_EQ(copy.ReadText("A", "K", ""), "2");
    dir.Write("p.INI", "[A]\nK=3\nEXT00=a\nk=4\n");
    EXPECT_EQ(profile.ReadText("A", "K", ""), "3");
    EXPECT_EQ(profile.Keys("a"), (std::vector<std::string>{"K", "EXT00"}));
}

TEST_F(ProfileFileTest, TwoWritersAtOnceKeepEachOthersKeys) {
    // Each thread stands for a running copy of the program; the lock is per open folder, so
    // threads exclude each other as processes do.
    constexpr int kWriters = 4;
    constexpr int kKeysEach = 40;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([this, w] {
            const ProfileFile profile = Profile();
            for (int k = 0; k < kKeysEach; ++k)
                profile.WriteText("A", "K" + std::to_string(w) + "_" + std::to_string(k), "v");
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(Profile().Keys("A").size(), std::size_t{kWriters * kKeysEach});
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
