#include "disposal/create_folder_path.h"
#include "disposal/folder_history.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

TEST(FolderHistory, ListsEachFolderOnceNewestFirstAsLastEntered) {
    FolderHistory history;
    for (const char* folder : {"/d/a", "/d/b", "/d/a/", "/d/A", "/d/b"})
        history.Append(folder);
    // Names differing in case are two folders on Linux.
    EXPECT_EQ(history.ComboItems(), FilePathList({"/d/b", "/d/A", "/d/a/", "/d/a"}));
    EXPECT_EQ(history.Folders().size(), 5u);
}

TEST(CreateFolderPath, MakesEveryMissingLevelTopMostFirst) {
    TempDir dir;
    FaultyFileSystem fileSystem;
    const FilePath path = dir.Native(QStringLiteral("x/y/z/"));
    EXPECT_TRUE(CreateFolderPath(fileSystem, path).ok());
    EXPECT_TRUE(QFileInfo(dir.FilePath(QStringLiteral("x/y/z"))).isDir());
}

TEST(CreateFolderPath, StopsAtAFolderThatCannotBeMadeAndSaysWhich) {
    TempDir dir;
    FaultyFileSystem fileSystem;
    fileSystem.folderErrors[dir.Native(QStringLiteral("x"))] = EACCES;
    const CreateFolderResult refused = CreateFolderPath(fileSystem, dir.Native(QStringLiteral("x/y/z")));
    EXPECT_EQ(refused.error, EACCES);
    EXPECT_EQ(refused.failedAt, dir.Native(QStringLiteral("x/y")));
    EXPECT_TRUE(QFileInfo(dir.FilePath(QStringLiteral("x"))).isDir());

    dir.Write(QStringLiteral("file"), "not a folder");
    const CreateFolderResult blocked = CreateFolderPath(fileSystem, dir.Native(QStringLiteral("file/y")));
    EXPECT_EQ(blocked.error, ENOTDIR);
    EXPECT_EQ(blocked.failedAt, dir.Native(QStringLiteral("file")));
}

} // namespace
