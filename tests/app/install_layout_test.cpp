#include "app/install_layout.h"
#include "platform/file_info.h"
#include "support/temp_dir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::TempDir;

// An executable in <dir>/bin, a config home and a home of its own, and whether bin is writable.
struct Machine {
    TempDir dir;
    bool binWritable = true;

    QString Executable() const { return dir.FilePath("bin/pelldrake"); }
    InstallLayout Layout(const QString& xdgConfigHome) const {
        return InstallLayout(Executable(), {xdgConfigHome, dir.FilePath("home"), [this](const FilePath& folder) {
                                                return binWritable && CanCreateIn(folder);
                                            }});
    }
    InstallLayout Layout() const { return Layout(dir.FilePath("config")); }
    void Install(const QString& name, const QByteArray& content) const {
        QDir().mkpath(Layout().DataFolder());
        QFile file(Layout().DataFolder() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
};

TEST(InstallLayout, SettingsBesideAPortableCopyElseInTheUsersConfigFolder) {
    Machine machine;
    machine.dir.Touch("bin/pelldrake");
    const QString beside = machine.dir.FilePath("bin/pelldrake.INI");
    const QString user = machine.dir.FilePath("config/pelldrake/pelldrake.INI");
    EXPECT_EQ(machine.Layout().SettingsPath(), beside);

    machine.binWritable = false;
    EXPECT_EQ(machine.Layout().SettingsPath(), user);
    EXPECT_EQ(machine.Layout("").SettingsPath(), machine.dir.FilePath("home/.config/pelldrake/pelldrake.INI"));
    EXPECT_EQ(machine.Layout("relative/config").UserSettingsPath(), machine.Layout("").UserSettingsPath());

    machine.dir.Touch("bin/pelldrake.INI");
    EXPECT_EQ(machine.Layout().SettingsPath(), beside);
}

TEST(InstallLayout, InstalledCopyKeepsSettingsInTheConfigFolderEvenWhenItsFolderIsWritable) {
    Machine machine;
    machine.dir.Touch("bin/pelldrake");
    EXPECT_FALSE(machine.Layout().Installed());
    machine.Install("pelldrake.INI", "[DIALOG]\r\nMODE=1\r\n");
    EXPECT_TRUE(machine.Layout().Installed());
    EXPECT_EQ(machine.Layout().SettingsPath(), machine.Layout().UserSettingsPath());
}

TEST(InstallLayout, HelpBesideTheProgramElseInTheDataFolder) {
    Machine machine;
    EXPECT_EQ(machine.Layout().HelpPath(), machine.dir.FilePath("bin/pelldrake.html"));
    machine.Install("pelldrake.html", "<html/>");
    EXPECT_EQ(machine.Layout().HelpPath(), machine.Layout().DataFolder() + "/pelldrake.html");
    machine.dir.Touch("bin/pelldrake.html");
    EXPECT_EQ(machine.Layout().HelpPath(), machine.dir.FilePath("bin/pelldrake.html"));
}

TEST(InstallLayout, UsersSettingsStartAsTheInstalledDefaultAndStayTheirs) {
    Machine machine;
    const InstallLayout layout = machine.Layout();
    const QString user = layout.UserSettingsPath();
    EXPECT_FALSE(CreateSettingsFromDefault(user, layout.InstalledDefaultSettings()));
    EXPECT_FALSE(CreateSettingsFromDefault(user, machine.dir.path())); // a folder is no default
    EXPECT_FALSE(QFile::exists(user));

    machine.Install("pelldrake.INI", "[DIALOG]\r\nMODE=1\r\n");
    EXPECT_TRUE(CreateSettingsFromDefault(user, layout.InstalledDefaultSettings()));
    EXPECT_EQ(machine.dir.Read("config/pelldrake/pelldrake.INI"), "[DIALOG]\r\nMODE=1\r\n");

    machine.dir.Write("config/pelldrake/pelldrake.INI", "[DIALOG]\r\nMODE=2\r\n");
    EXPECT_TRUE(CreateSettingsFromDefault(user, layout.InstalledDefaultSettings()));
    EXPECT_EQ(machine.dir.Read("config/pelldrake/pelldrake.INI"), "[DIALOG]\r\nMODE=2\r\n");
}

} // namespace
} // namespace pelldrake
