#include "platform/trash_location.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace pelldrake {

bool IsTrashFilesPath(const QString& trashedName, const QString& dataHome, unsigned uid,
                      const std::function<bool(const QString& folder)>& isMountTop) {
    const QFileInfo trashed(trashedName);
    if (!trashed.isAbsolute())
        return false;
    const QDir files = QDir(QDir::cleanPath(trashed.absolutePath()));
    if (files.dirName() != QLatin1String("files"))
        return false;
    const QString trash = QDir::cleanPath(files.absolutePath() + QLatin1String("/.."));
    if (!dataHome.isEmpty() && trash == QDir::cleanPath(dataHome + QLatin1String("/Trash")))
        return true;
    const QString uidText = QString::number(uid);
    const QString trashName = QFileInfo(trash).fileName();
    const QString top = QDir::cleanPath(trash + QLatin1String("/.."));
    if (trashName == QLatin1String(".Trash-") + uidText)
        return isMountTop(top);
    if (trashName == uidText && QFileInfo(top).fileName() == QLatin1String(".Trash"))
        return isMountTop(QDir::cleanPath(top + QLatin1String("/..")));
    return false;
}

bool IsMountTop(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    if (clean == QLatin1String("/"))
        return true;
    struct stat self {};
    struct stat parent {};
    if (::stat(QFile::encodeName(clean).constData(), &self) != 0 ||
        ::stat(QFile::encodeName(clean + QLatin1String("/..")).constData(), &parent) != 0)
        return false;
    return self.st_dev != parent.st_dev;
}

} // namespace pelldrake
