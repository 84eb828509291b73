#include "platform/file_system.h"
#include "platform/freedesktop_trash.h"
#include "platform/trash_location.h"
#include "support/temp_dir.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

TEST(TrashLocation, AMissingOrRelativeDataFolderStillTrashesIntoTheUsersTrash) {
    TempDir dir;
    const QByteArray previousData = qgetenv("XDG_DATA_HOME");
    const QByteArray previousHome = qgetenv("HOME");
    const QString previousCurrent = QDir::currentPath();
    QDir(dir.path()).mkpath(QStringLiteral("cwd"));
    QDir::setCurrent(dir.FilePath(QStringLiteral("cwd")));
    qputenv("HOME", QFile::encodeName(dir.FilePath(QStringLiteral("home"))));
    // A missing data folder is made, as a desktop would have made it. A relative one is no data
    // folder at all (the XDG rule): the default under the home takes its place.
    const QString missing = dir.FilePath(QStringLiteral("missing/share"));
    const std::vector<std::pair<QByteArray, QString>> cases{
        {QFile::encodeName(missing), missing}, {"relative/share", dir.FilePath(QStringLiteral("home/.local/share"))}};
    PosixFileSystem fileSystem;
    std::vector<bool> trashed;
    for (const auto& [variable, share] : cases) {
        qputenv("XDG_DATA_HOME", variable);
        trashed.push_back(fileSystem.MoveToTrash(dir.Write(QStringLiteral("a.jpg"), "picture")).has_value());
    }

    QDir::setCurrent(previousCurrent);
    for (const auto& [name, previous] : {std::pair{"XDG_DATA_HOME", previousData}, std::pair{"HOME", previousHome}}) {
        if (previous.isNull())
            qunsetenv(name);
        else
            qputenv(name, previous);
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_TRUE(trashed[i]) << i;
        EXPECT_TRUE(QFileInfo::exists(cases[i].second + QStringLiteral("/Trash/files/a.jpg"))) << i;
    }
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("a.jpg"))));
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("cwd/files"))));
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("cwd/relative"))));
}

// The info file of a trashed name, split into its path line and the time of its deletion.
struct TrashInfo {
    QByteArray path;
    QDateTime deleted;
};

TrashInfo ReadInfo(const FilePath& file) {
    // By its bytes: the name need not be UTF-8.
    std::ifstream info(file, std::ios::binary);
    if (!info)
        return {};
    const std::string text((std::istreambuf_iterator<char>(info)), std::istreambuf_iterator<char>());
    const QList<QByteArray> lines = QByteArray::fromStdString(text).split('\n');
    if (lines.size() != 4 || lines[0] != "[Trash Info]" || !lines[1].startsWith("Path=") ||
        !lines[2].startsWith("DeletionDate=") || !lines[3].isEmpty())
        return {"<malformed>", {}};
    return {lines[1].mid(5),
            QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), QStringLiteral("yyyy-MM-ddTHH:mm:ss"))};
}

TEST(FreedesktopTrash, EachNameIsListedUnderItsOriginalPathAsADesktopWritesIt) {
    TempDir dir;
    const FilePath share = dir.Native(QStringLiteral("share"));
    const FreedesktopTrash trash(share, ::getuid(), IsNativeMountTop);
    const FilePath root = dir.Native(QStringLiteral("from"));
    // Japanese with a space, a "%" before two hex digits, bytes that are not UTF-8; the second
    // file of one name takes the next free name in the trash.
    const std::vector<std::pair<FilePath, QByteArray>> names{
        {"\xe5\x86\x99\xe7\x9c\x9f 1.jpg", "%E5%86%99%E7%9C%9F%201.jpg"},
        {"sale%41.jpg", "sale%2541.jpg"},
        {"\xff\xfe\x81.jpg", "%FF%FE%81.jpg"},
        {"sale%41.jpg", "sale%2541.jpg"},
    };
    const std::vector<FilePath> trashedAs{names[0].first, "sale%41.jpg", names[2].first, "sale%41.2.jpg"};
    // A zone far from UTC, so that a time written in UTC shows.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "JST-9");
    ::tzset();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const FilePath source = dir.Touch("from/" + names[i].first, QByteArray::number(static_cast<int>(i)));
        ASSERT_TRUE(trash.MoveToTrash(source)) << i;
        EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(source)))) << i;
        const FilePath kept = share + "/Trash/files/" + trashedAs[i];
        struct stat info {};
        EXPECT_EQ(::stat(kept.c_str(), &info), 0) << i;
        EXPECT_EQ(info.st_size, 1) << i;
        const TrashInfo written = ReadInfo(share + "/Trash/info/" + trashedAs[i] + ".trashinfo");
        EXPECT_EQ(written.path, QByteArray::fromStdString(root) + "/" + names[i].second) << i;
        // Local time, as a file manager shows it, to the second.
        EXPECT_GE(written.deleted, before) << i;
        EXPECT_LE(written.deleted, QDateTime::currentDateTime().addSecs(1)) << i;
    }
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    ::tzset();
    // Each info file still stands: none was taken over by a later one of the same name.
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(ReadInfo(share + "/Trash/info/" + trashedAs[i] + ".trashinfo").path,
                  QByteArray::fromStdString(root) + "/" + names[i].second)
            << i;

    // A restore never replaces a file that took the original place meanwhile; once the place is
    // free the file is back, and its info file goes with it.
    const FilePath kept = share + "/Trash/files/" + trashedAs[3];
    const FilePath newer = dir.Touch("from/" + names[3].first, "newer");
    EXPECT_EQ(FreedesktopTrash::Restore(kept, newer), EEXIST);
    EXPECT_EQ(dir.Read(QStringLiteral("from/sale%41.jpg")), "newer");
    ASSERT_EQ(::unlink(newer.c_str()), 0);
    EXPECT_EQ(FreedesktopTrash::Restore(kept, newer), 0);
    EXPECT_EQ(dir.Read(QStringLiteral("from/sale%41.jpg")), "3");
    EXPECT_FALSE(QFileInfo::exists(
        QFile::decodeName(QByteArray::fromStdString(share + "/Trash/info/" + trashedAs[3] + ".trashinfo"))));
}

TEST(FreedesktopTrash, AnInfoFileThatCannotBeWrittenCompletelyKeepsTheFileInPlace) {
    TempDir dir;
    const FilePath share = dir.Native(QStringLiteral("share"));
    const FreedesktopTrash trash(share, ::getuid(), IsNativeMountTop);
    const FilePath source = dir.Write(QStringLiteral("from/a.jpg"), "picture");
    ASSERT_FALSE(trash.TrashFor(source).empty());
    // A disk that takes the first bytes of the info file and no more.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool trashed = trash.MoveToTrash(source).has_value();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_FALSE(trashed);
    EXPECT_EQ(dir.Read(QStringLiteral("from/a.jpg")), "picture");
    EXPECT_TRUE(QDir(dir.FilePath(QStringLiteral("share/Trash/info")))
                    .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    EXPECT_TRUE(QDir(dir.FilePath(QStringLiteral("share/Trash/files")))
                    .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    EXPECT_TRUE(trash.MoveToTrash(source));
}

TEST(FreedesktopTrash, AFileOnAnotherMountGoesToTheTrashAtTheTopOfItsMount) {
    TempDir dir;
    const FilePath mount = dir.Native(QStringLiteral("mnt"));
    const FreedesktopTrash trash(dir.Native(QStringLiteral("share")), ::getuid(),
                                 [&](const FilePath& folder) { return folder == mount || folder == "/"; });
    const std::string uid = std::to_string(::getuid());
    auto trashOnce = [&](const char* name) {
        const FilePath source = dir.Write(QStringLiteral("mnt/photos/%1").arg(QString::fromUtf8(name)), "x");
        return trash.MoveToTrash(source).has_value() &&
               !QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(source)));
    };
    // No shared trash: the user's own at the top, with the path below the top.
    ASSERT_TRUE(trashOnce("a.jpg"));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(mount + "/.Trash-" + uid + "/files/a.jpg")));
    EXPECT_EQ(ReadInfo(mount + "/.Trash-" + uid + "/info/a.jpg.trashinfo").path, "photos/a.jpg");
    // A shared trash without the sticky bit, or one that is a link, is passed over.
    QDir(dir.path()).mkpath(QStringLiteral("mnt/.Trash"));
    ::chmod((mount + "/.Trash").c_str(), 0777);
    ASSERT_TRUE(trashOnce("b.jpg"));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(mount + "/.Trash-" + uid + "/files/b.jpg")));
    QDir(dir.path()).rename(QStringLiteral("mnt/.Trash"), QStringLiteral("sticky"));
    ::chmod(dir.Native(QStringLiteral("sticky")).c_str(), 01777);
    QFile::link(dir.FilePath(QStringLiteral("sticky")), dir.FilePath(QStringLiteral("mnt/.Trash")));
    ASSERT_TRUE(trashOnce("c.jpg"));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(mount + "/.Trash-" + uid + "/files/c.jpg")));
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("sticky/") + QString::fromStdString(uid))));
    // A real sticky one takes the user's subfolder.
    QFile::remove(dir.FilePath(QStringLiteral("mnt/.Trash")));
    QDir(dir.path()).rename(QStringLiteral("sticky"), QStringLiteral("mnt/.Trash"));
    ASSERT_TRUE(trashOnce("d.jpg"));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(mount + "/.Trash/" + uid + "/files/d.jpg")));
    EXPECT_EQ(ReadInfo(mount + "/.Trash/" + uid + "/info/d.jpg.trashinfo").path, "photos/d.jpg");
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("share/Trash"))));
}

} // namespace
