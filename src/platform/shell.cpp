#include "platform/shell.h"

#include "platform/file_info.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace pelldrake {

void DesktopShell::OpenFile(const FilePath& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQString(path)));
}

QString DesktopShell::BrowserProgram() {
    // $BROWSER may list several programs separated by colons; the first one that exists wins.
    const QString fromEnvironment = qEnvironmentVariable("BROWSER");
    for (const QString& candidate : fromEnvironment.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (!QStandardPaths::findExecutable(candidate).isEmpty() || QFile::exists(candidate))
            return candidate;
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("x-www-browser")).isEmpty())
        return QStringLiteral("x-www-browser");
    return QStringLiteral("xdg-open");
}

void DesktopShell::OpenInBrowser(const FilePath& path) {
    QProcess::startDetached(BrowserProgram(), {PathToQString(path)});
}

} // namespace pelldrake
