#pragma once

#include "core/types.h"

#include <QString>
#include <functional>

namespace pelldrake {

// What the choice of the settings file depends on outside the program; tests put their own in.
struct ConfigEnvironment {
    // $XDG_CONFIG_HOME as set; empty when unset.
    QString xdgConfigHome;
    QString home;
    std::function<bool(const FilePath& folder)> canCreateIn;

    static ConfigEnvironment Real();
};

// Where a copy of the program finds its files. A portable copy (a build folder, an unpacked
// archive) keeps everything beside its executable; an installed copy finds the help and the
// default settings in <prefix>/share/pelldrake and keeps the user's settings in the user's
// config folder.
class InstallLayout {
public:
    InstallLayout(QString executablePath, ConfigEnvironment environment);

    // <prefix>/share/pelldrake for an executable in <prefix>/bin.
    QString DataFolder() const;
    QString InstalledDefaultSettings() const;
    // Installed when the data folder holds the default settings file.
    bool Installed() const;
    // $XDG_CONFIG_HOME/pelldrake/pelldrake.INI, ~/.config when the variable is unset or not absolute.
    QString UserSettingsPath() const;
    // Beside the executable when that file exists, or when a portable copy may create it there;
    // the user's config folder otherwise.
    QString SettingsPath() const;
    // Where the board keeps its lists for recovery: beside a settings file of a portable copy,
    // else $XDG_STATE_HOME/pelldrake (~/.local/state when the variable is unset or not absolute).
    QString RecoveryFolder(const QString& settingsPath, const QString& xdgStateHome) const;
    // The help file beside the executable, else the installed one.
    QString HelpPath() const;

private:
    QString executablePath_;
    ConfigEnvironment environment_;
};

// Gives a settings file in the user's config folder its first content from the installed
// default. An existing file is the user's and is never touched; false when it could not be made.
bool CreateSettingsFromDefault(const QString& settingsPath, const QString& defaultPath);

} // namespace pelldrake
