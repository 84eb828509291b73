#include "platform/help_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace pelldrake {

QString HelpFile::PathFor(const QString& executablePath) {
    const QFileInfo executable(executablePath);
    return executable.dir().filePath(executable.completeBaseName() + QStringLiteral(".html"));
}

QString HelpFile::Topic(const QString& anchor) const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(file.readAll());
    const qsizetype anchorAt = html.indexOf(QStringLiteral("id=\"%1\"").arg(anchor));
    if (anchorAt < 0)
        return {};
    static const QRegularExpression heading(QStringLiteral("<h[23][ >]"));
    const QRegularExpressionMatch start = heading.match(html, anchorAt);
    if (!start.hasMatch())
        return {};
    const QRegularExpressionMatch end = heading.match(html, start.capturedEnd());
    const qsizetype stop = end.hasMatch() ? end.capturedStart() : html.indexOf(QStringLiteral("</body>"));
    return html.mid(start.capturedStart(), stop < 0 ? -1 : stop - start.capturedStart()).trimmed();
}

} // namespace pelldrake
