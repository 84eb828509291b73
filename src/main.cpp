#include "app/settings_path.h"
#include "app/startup/classify_app.h"
#include "platform/memory_release.h"
#include "platform/shell.h"
#include "platform/ui/qt_prompter.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[]) {
    pelldrake::ReturnLargeBuffersToSystem();
    QApplication application(argc, argv);
    QTranslator qtTranslations;
    if (qtTranslations.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    pelldrake::QtPrompter prompter;
    pelldrake::DesktopShell shell;
    pelldrake::ClassifyApp app(pelldrake::SettingsFile(pelldrake::SettingsPathFor(QApplication::applicationFilePath())),
                               prompter);
    return app.Run(shell);
}
