#include "app/settings_file.h"
#include "app/settings_path.h"
#include "support/temp_dir.h"

#include <climits>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::TempDir;

TEST(SettingsPath, ReplacesOrAppendsTheExtensionOfTheFileNameOnly) {
    EXPECT_EQ(SettingsPathFor("/opt/tools/sorter.exe"), "/opt/tools/sorter.INI");
    EXPECT_EQ(SettingsPathFor("/home/u/build/pelldrake"), "/home/u/build/pelldrake.INI");
    EXPECT_EQ(SettingsPathFor("/home/u/my.build/pelldrake"), "/home/u/my.build/pelldrake.INI");
    EXPECT_EQ(SettingsPathFor("/a/b.c/app.tar.gz"), "/a/b.c/app.tar.INI");
    EXPECT_EQ(SettingsPathFor("/a/.pelldrake"), "/a/.pelldrake.INI");
    EXPECT_EQ(SettingsPathFor("/写真.d/表ソ.bin"), "/写真.d/表ソ.INI");
}

class SettingsFileTest : public ::testing::Test {
protected:
    TempDir dir;
    SettingsFile settings{dir.FilePath("pelldrake.INI")};
};

TEST_F(SettingsFileTest, FreshInstallationGivesEveryDefault) {
    EXPECT_EQ(settings.ThumbCtlCheck(), 1);
    EXPECT_EQ(settings.ThumbCtlVersionCheck(), 1);
    EXPECT_EQ(settings.ThumbCtlVersionHH(), 0);
    EXPECT_EQ(settings.ThumbCtlVersionLL(), 0);
    EXPECT_EQ(settings.DialogMode(), 0);
    EXPECT_EQ(settings.ExtFilterEnable(), 0);
    EXPECT_EQ(settings.ExtFilterCount(), 0);
    EXPECT_EQ(settings.UseBrowser(), 0);
    EXPECT_EQ(settings.DeleteThumbDb(), 0);
    EXPECT_EQ(settings.ThumbDbName(), "thumbs.db");
    EXPECT_EQ(settings.UseCurrentDirectory(), 0);
    EXPECT_EQ(settings.ExpandViewRect(), QRect(0, 0, 240, 200));
    EXPECT_FALSE(QFileInfo::exists(settings.path()));
}

TEST_F(SettingsFileTest, NumbersAsTextAndProfileIntegers) {
    dir.Write("pelldrake.INI", "[DIALOG]\r\nMODE= 1x\r\n[STARTCHECK]\r\nTHUMBCTLVER_HL=-1\r\nTHUMBCTL=0\r\n"
                               "[EXPANDVIEW]\r\nTOP=abc\r\nLEFT=-20\r\n");
    EXPECT_EQ(settings.DialogMode(), 1);
    EXPECT_EQ(settings.ThumbCtlVersionHL(), -1);
    EXPECT_EQ(settings.ThumbCtlCheck(), 0);
    EXPECT_EQ(settings.ExpandViewRect(), QRect(QPoint(-20, 0), QSize(260, 200)));
    settings.WriteDialogMode(-1);
    EXPECT_EQ(settings.DialogMode(), -1);
    EXPECT_EQ(settings.profile().ReadText("DIALOG", "MODE", ""), "-1");
}

TEST_F(SettingsFileTest, ValuesAreReadAtEachUseNeverCached) {
    EXPECT_EQ(settings.DeleteThumbDb(), 0);
    dir.Write("pelldrake.INI", "[VIEWER]\r\nDELTHUMBDB=1\r\nTHUMBDBNAME=\r\n");
    EXPECT_EQ(settings.DeleteThumbDb(), 1);
    EXPECT_EQ(settings.ThumbDbName(), ""); // an empty value is not the default
}

TEST_F(SettingsFileTest, ExtensionKeysUseAtLeastTwoDigits) {
    EXPECT_EQ(SettingsFile::ExtKey(0), "EXT00");
    EXPECT_EQ(SettingsFile::ExtKey(99), "EXT99");
    EXPECT_EQ(SettingsFile::ExtKey(100), "EXT100");
    dir.Write("pelldrake.INI", "[EXTFILTER]\r\nCOUNT=3\r\nEXT00=jpg\r\nEXT02=png\r\n");
    EXPECT_EQ(settings.ExtFilterCount(), 3);
    EXPECT_EQ(settings.ExtFilterPattern(0), "jpg");
    EXPECT_EQ(settings.ExtFilterPattern(1), "0"); // missing key reads the text "0"
    EXPECT_EQ(settings.ExtFilterPattern(2), "png");
}

TEST_F(SettingsFileTest, EnableIsWrittenAsOneOrZeroAndGeometryRoundTrips) {
    settings.WriteExtFilterEnable(true);
    EXPECT_EQ(settings.profile().ReadText("EXTFILTER", "ENABLE", ""), "1");
    settings.WriteExtFilterEnable(false);
    EXPECT_EQ(settings.profile().ReadText("EXTFILTER", "ENABLE", ""), "0");
    settings.WriteExpandViewRect(QRect(QPoint(-5, 30), QSize(300, 220)));
    EXPECT_EQ(settings.ExpandViewRect(), QRect(QPoint(-5, 30), QSize(300, 220)));
    EXPECT_EQ(dir.Read("pelldrake.INI"),
              "[EXTFILTER]\r\nENABLE=0\r\n[EXPANDVIEW]\r\nTOP=30\r\nBOTTOM=250\r\nLEFT=-5\r\nRIGHT=295\r\n");
}

TEST_F(SettingsFileTest, ExtremeEdgesNeitherWrapNorGrowOnTheWayBack) {
    dir.Write("pelldrake.INI", "[EXPANDVIEW]\r\nTOP=-2147483648\r\nLEFT=-2147483648\r\n"
                               "BOTTOM=2147483647\r\nRIGHT=2147483647\r\n");
    const QRect huge = settings.ExpandViewRect();
    EXPECT_EQ(huge.topLeft(), QPoint(INT_MIN, INT_MIN));
    EXPECT_EQ(huge.size(), QSize(INT_MAX, INT_MAX));
    settings.WriteExpandViewRect(huge);
    EXPECT_EQ(settings.ExpandViewRect(), huge);

    dir.Write("pelldrake.INI", "[EXPANDVIEW]\r\nTOP=10\r\nLEFT=10\r\nBOTTOM=5\r\nRIGHT=2147483647\r\n");
    EXPECT_EQ(settings.ExpandViewRect(), QRect(QPoint(10, 10), QSize(INT_MAX - 10, 0)));
}

} // namespace
} // namespace pelldrake
