#include "app/command_line.h"
#include "app/install_layout.h"
#include "app/instance_channel.h"
#include "app/startup/classify_app.h"
#include "platform/file_info.h"
#include "platform/memory_release.h"
#include "platform/shell.h"
#include "platform/ui/qt_prompter.h"
#include "platform/ui/screen_profile.h"
#include "thumbs/shown_colours.h"

#include <QApplication>
#include <QColorSpace>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

namespace {

std::vector<std::string> ArgumentsOf(int argc, char* argv[]) {
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

} // namespace

int main(int argc, char* argv[]) {
    pelldrake::ReturnLargeBuffersToSystem();
    using namespace pelldrake;
    const std::string programName = "pelldrake";
    // Help and version need no display: answered before Qt looks for one.
    const CommandLine early = ParseCommandLine(ArgumentsOf(argc, argv));
    if (early.action == CommandLine::Action::Help) {
        std::fputs(UsageText(programName).c_str(), stdout);
        return 0;
    }
    if (early.action == CommandLine::Action::Version) {
        std::fputs(VersionText(programName).c_str(), stdout);
        return 0;
    }

    QApplication application(argc, argv);
    // Pictures are drawn in the screen's colours where a colour manager announces them.
    if (const QByteArray screenProfile = ReadScreenIccProfile(); !screenProfile.isEmpty())
        SetScreenColourSpace(QColorSpace::fromIccProfile(screenProfile));
    // Docks and task bars match the window to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(PELLDRAKE_APP_ID));
    // Qt has taken its own options (-platform, -style ...) out of argv by now.
    const CommandLine commandLine = ParseCommandLine(ArgumentsOf(argc, argv));
    if (commandLine.action == CommandLine::Action::Usage) {
        std::fprintf(stderr, "%s: unknown option %s\n%s", programName.c_str(), commandLine.badOption.c_str(),
                     UsageText(programName).c_str());
        return 2;
    }
    for (const FilePath& missing : commandLine.missing)
        std::fprintf(stderr, "%s: %s: no such file or folder\n", programName.c_str(), missing.c_str());
    if (commandLine.workStates.size() > 1)
        std::fprintf(stderr, "%s: only the first work-state file is loaded\n", programName.c_str());

    const InstallLayout layout(QApplication::applicationFilePath(), ConfigEnvironment::Real());
    const QString settingsPath = layout.SettingsPath();
    // One board per settings file: a board that runs already takes this command line.
    InstanceChannel channel(InstanceChannel::SocketPath(settingsPath));
    if (!commandLine.newWindow && channel.Open(commandLine) == InstanceChannel::Start::HandedOver)
        return 0;

    QTranslator qtTranslations;
    if (qtTranslations.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    if (settingsPath == layout.UserSettingsPath())
        CreateSettingsFromDefault(settingsPath, layout.InstalledDefaultSettings());

    QtPrompter prompter;
    DesktopShell shell;
    const QString recoveryFolder = layout.RecoveryFolder(settingsPath, qEnvironmentVariable("XDG_STATE_HOME"));
    ClassifyApp app{SettingsFile(settingsPath), prompter, ImageEnvironment::Real(), PathFromQString(recoveryFolder)};
    return app.Run(shell, commandLine, &channel);
}
