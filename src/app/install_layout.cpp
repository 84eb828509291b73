#include "app/install_layout.h"

#include "app/settings_path.h"
#include "platform/file_info.h"
#include "platform/help_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace pelldrake {

namespace {

constexpr const char* kProgramName = "pelldrake";

QString FolderOf(const QString& path) {
    return QFileInfo(path).absolutePath();
}

bool Exists(const QString& path) {
    return StatPath(PathFromQString(path)).has_value();
}

} // namespace

ConfigEnvironment ConfigEnvironment::Real() {
    return {qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath(),
            [](const FilePath& folder) { return CanCreateIn(folder); }};
}

InstallLayout::InstallLayout(QString executablePath, ConfigEnvironment environment)
    : executablePath_(std::move(executablePath)), environment_(std::move(environment)) {}

QString InstallLayout::DataFolder() const {
    return QDir::cleanPath(FolderOf(executablePath_) + QLatin1Char('/') + QStringLiteral(PELLDRAKE_DATA_FROM_BIN));
}

QString InstallLayout::InstalledDefaultSettings() const {
    return DataFolder() + QLatin1Char('/') + QLatin1String(kProgramName) + QStringLiteral(".INI");
}

bool InstallLayout::Installed() const {
    return IsRegularFile(PathFromQString(InstalledDefaultSettings()));
}

QString InstallLayout::UserSettingsPath() const {
    // A relative XDG_CONFIG_HOME is invalid and would put the file wherever the program was started.
    QString configHome = environment_.xdgConfigHome;
    if (!QDir::isAbsolutePath(configHome))
        configHome = environment_.home + QStringLiteral("/.config");
    return configHome + QLatin1Char('/') + QLatin1String(kProgramName) + QLatin1Char('/') +
           QLatin1String(kProgramName) + QStringLiteral(".INI");
}

QString InstallLayout::SettingsPath() const {
    const QString beside = SettingsPathFor(executablePath_);
    if (Exists(beside))
        return beside;
    // An installed copy never writes beside itself: run by root, /usr/bin would be writable.
    if (!Installed() && environment_.canCreateIn && environment_.canCreateIn(PathFromQString(FolderOf(beside))))
        return beside;
    return UserSettingsPath();
}

QString InstallLayout::RecoveryFolder(const QString& settingsPath, const QString& xdgStateHome) const {
    if (settingsPath != UserSettingsPath())
        return FolderOf(settingsPath);
    const QString stateHome =
        QDir::isAbsolutePath(xdgStateHome) ? xdgStateHome : environment_.home + QStringLiteral("/.local/state");
    return stateHome + QLatin1Char('/') + QLatin1String(kProgramName);
}

QString InstallLayout::HelpPath() const {
    const QString beside = HelpFile::PathFor(executablePath_);
    if (IsRegularFile(PathFromQString(beside)))
        return beside;
    const QString installed = DataFolder() + QLatin1Char('/') + QLatin1String(kProgramName) + QStringLiteral(".html");
    return IsRegularFile(PathFromQString(installed)) ? installed : beside;
}

bool CreateSettingsFromDefault(const QString& settingsPath, const QString& defaultPath) {
    if (Exists(settingsPath))
        return true;
    // Opening a pipe or a device would hang or do something; a default is a plain file.
    if (!IsRegularFile(PathFromQString(defaultPath)))
        return false;
    QFile source(defaultPath);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    // The default is a few lines; anything larger is not one.
    constexpr qint64 kLargestDefault = 64 * 1024;
    if (source.size() > kLargestDefault)
        return false;
    const QByteArray content = source.readAll();
    if (!QDir().mkpath(FolderOf(settingsPath)))
        return false;
    QSaveFile target(settingsPath);
    if (!target.open(QIODevice::WriteOnly) || target.write(content) != content.size())
        return false;
    // Another start may have made the file meanwhile; then its file stands.
    if (Exists(settingsPath)) {
        target.cancelWriting();
        return true;
    }
    return target.commit();
}

} // namespace pelldrake
