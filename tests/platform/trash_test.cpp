#include "platform/file_system.h"
#include "platform/trash_location.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

TEST(TrashLocation, AcceptsOnlyTheFilesFolderOfARealTrash) {
    auto mountTop = [](const QString& folder) { return folder == QLatin1String("/media/usb"); };
    const QString home = QStringLiteral("/home/u/.local/share");
    EXPECT_TRUE(IsTrashFilesPath(home + "/Trash/files/a.jpg", home, 1000, mountTop));
    EXPECT_TRUE(IsTrashFilesPath(QStringLiteral("/media/usb/.Trash-1000/files/a.jpg"), home, 1000, mountTop));
    EXPECT_TRUE(IsTrashFilesPath(QStringLiteral("/media/usb/.Trash/1000/files/a.jpg"), home, 1000, mountTop));
    // What Qt 6.4 hands back when the data folder is missing, and its look-alikes.
    EXPECT_FALSE(IsTrashFilesPath(QStringLiteral("files/a.jpg"), home, 1000, mountTop));
    EXPECT_FALSE(IsTrashFilesPath(QStringLiteral("/work/files/a.jpg"), home, 1000, mountTop));
    EXPECT_FALSE(IsTrashFilesPath(QStringLiteral("/work/.Trash-1000/files/a.jpg"), home, 1000, mountTop));
    EXPECT_FALSE(IsTrashFilesPath(QStringLiteral("/media/usb/.Trash-1001/files/a.jpg"), home, 1000, mountTop));
    EXPECT_FALSE(IsTrashFilesPath(home + "/Trash/info/a.jpg", home, 1000, mountTop));
}

TEST(TrashLocation, AMissingDataFolderStillTrashesIntoTheUsersTrash) {
    TempDir dir;
    const QString dataHome = dir.FilePath(QStringLiteral("missing/share"));
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    const QString previousCurrent = QDir::currentPath();
    QDir(dir.path()).mkpath(QStringLiteral("cwd"));
    QDir::setCurrent(dir.FilePath(QStringLiteral("cwd")));

    PosixFileSystem fileSystem;
    const bool trashed = fileSystem.MoveToTrash(dir.Write(QStringLiteral("a.jpg"), "picture"));

    QDir::setCurrent(previousCurrent);
    if (previous.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previous);
    EXPECT_TRUE(trashed);
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("a.jpg"))));
    EXPECT_TRUE(QFileInfo::exists(dataHome + QStringLiteral("/Trash/files/a.jpg")));
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("cwd/files"))));
}

} // namespace
