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
    // The topic ends where the next one's anchors or heading begin.
    static const QRegularExpression nextTopic(QStringLiteral("<h[23][ >]|<a id="));
    const QRegularExpressionMatch end = nextTopic.match(html, start.capturedEnd());
    const qsizetype stop = end.hasMatch() ? end.capturedStart() : html.indexOf(QStringLiteral("</body>"));
    return html.mid(start.capturedStart(), stop < 0 ? -1 : stop - start.capturedStart()).trimmed();
}

} // namespace pelldrake
