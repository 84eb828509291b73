#include "intake/scan_folder.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace pelldrake {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// The scanned paths below folder, each cut to its first name below folder; a subfolder whose
// files came in one block therefore shows up once.
std::vector<std::string> Collapsed(const FilePathList& paths, const std::string& folder) {
    const std::string prefix = folder + "/";
    std::vector<std::string> names;
    for (const FilePath& path : paths) {
        if (path.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string rest = path.substr(prefix.size());
        const std::string first = rest.substr(0, rest.find('/'));
        if (names.empty() || names.back() != first)
            names.push_back(first);
    }
    return names;
}

std::map<std::string, int> CountByFileName(const FilePathList& paths) {
    std::map<std::string, int> counts;
    for (const FilePath& path : paths)
        ++counts[fs::path(path).filename().string()];
    return counts;
}

FilePathList Sorted(FilePathList paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

class ScanFolderTest : public ::testing::Test {
protected:
    std::string Folder(const std::string& relative) {
        const std::string path = root + "/" + relative;
        fs::create_directories(path);
        return path;
    }
    std::string File(const std::string& relative) { return dir.Touch(relative); }
    FilePathList Scan(const std::string& folder, bool includeSubfolders) {
        FilePathList out;
        ScanFolder(out, folder, includeSubfolders);
        return out;
    }

    TempDir dir;
    const std::string root = QFile::encodeName(dir.path()).toStdString();
};

TEST_F(ScanFolderTest, SubfolderFilesComeWhereTheSubfolderIsListed) {
    FilePathList all;
    for (int i = 0; i < 12; ++i)
        all.push_back(File("r" + std::to_string(i) + ".jpg"));
    for (const char* sub : {"sub1", "sub2", "sub3"}) {
        for (int i = 0; i < 4; ++i)
            all.push_back(File(std::string(sub) + "/s" + std::to_string(i) + ".jpg"));
    }
    for (int i = 0; i < 3; ++i)
        all.push_back(File("sub2/deeper/d" + std::to_string(i) + ".jpg"));

    const FilePathList out = Scan(root, true);

    EXPECT_EQ(Sorted(out), Sorted(all));
    std::vector<std::string> rootOrder;
    for (int i = 0; i < 12; ++i)
        rootOrder.push_back("r" + std::to_string(i) + ".jpg");
    rootOrder.insert(rootOrder.end(), {"sub1", "sub2", "sub3"});
    EXPECT_EQ(Collapsed(out, root), rootOrder);
    EXPECT_EQ(Collapsed(out, root + "/sub2"),
              std::vector<std::string>({"deeper", "s0.jpg", "s1.jpg", "s2.jpg", "s3.jpg"}));
}

TEST_F(ScanFolderTest, NamesComeAsTheFileManagerListsThem) {
    // Given in an order no file system keeps; non-UTF-8 names (\xe9 is é in Latin-1) keep
    // their bytes and sort by them, ASCII letters folded.
    const std::vector<std::string> names = {"img_10.jpg",
                                            "IMG_2.jpg",
                                            "B.jpg",
                                            "a.jpg",
                                            "IMG_02.jpg",
                                            "IMG_1.jpg",
                                            "Z\xe9.jpg",
                                            "z\xe8.jpg",
                                            "\xc3\x89t\xc3\xa9.jpg",
                                            "\xc3\xa9"
                                            "a.jpg",
                                            "photo 9 b.jpg",
                                            "photo 10 a.jpg",
                                            "c"};
    for (const std::string& name : names)
        File(name == "c" ? "c/inside.jpg" : name);
    const FilePathList out = Scan(root, true);
    std::vector<std::string> got;
    for (const FilePath& path : out)
        got.push_back(path.substr(root.size() + 1));
    const std::vector<std::string> expected = {"a.jpg",
                                               "B.jpg",
                                               "c/inside.jpg",
                                               "IMG_1.jpg",
                                               "IMG_02.jpg",
                                               "IMG_2.jpg",
                                               "img_10.jpg",
                                               "photo 9 b.jpg",
                                               "photo 10 a.jpg",
                                               "z\xe8.jpg",
                                               "Z\xe9.jpg",
                                               "\xc3\xa9"
                                               "a.jpg",
                                               "\xc3\x89t\xc3\xa9.jpg"};
    EXPECT_EQ(got, expected);
    // QTemporaryDir cannot remove names that are not UTF-8.
    for (const char* name : {"/Z\xe9.jpg", "/z\xe8.jpg"})
        ::unlink((root + name).c_str());
}

TEST_F(ScanFolderTest, WithoutSubfoldersTakesOnlyTheFolderOwnFiles) {
    const std::string a = File("a.jpg");
    const std::string b = File("b.txt");
    File("sub/c.jpg");
    Folder("empty");
    EXPECT_EQ(Sorted(Scan(root, false)), Sorted({a, b}));
}

TEST_F(ScanFolderTest, DotFoldersAreNeverEnteredButDotFilesAreTaken) {
    File(".hidden/h.jpg");
    File("sub/.cache/c.jpg");
    const std::string dotFile = File(".dotfile");
    const std::string a = File("a.jpg");
    const std::string subDotFile = File("sub/.x.jpg");

    EXPECT_EQ(Sorted(Scan(root, true)), Sorted({dotFile, a, subDotFile}));
    EXPECT_EQ(Sorted(Scan(root, false)), Sorted({dotFile, a}));
}

TEST_F(ScanFolderTest, FolderGivenWithTrailingSeparatorIsNotDoubled) {
    const std::string a = File("a.jpg");
    const std::string c = File("sub/c.jpg");
    EXPECT_EQ(Sorted(Scan(root + "/", true)), Sorted({a, c}));
    for (const FilePath& path : Scan(root + "/", true))
        EXPECT_EQ(path.find("//"), std::string::npos) << path;
}

TEST_F(ScanFolderTest, LinkToAParentEndsAndListsEveryFileOnce) {
    File("a.jpg");
    File("sub/b.jpg");
    File("sub/deeper/c.jpg");
    fs::create_directory_symlink(root, root + "/sub/deeper/up");
    fs::create_directory_symlink(root + "/sub", root + "/alias");

    const FilePathList out = Scan(root, true);

    EXPECT_EQ(out.size(), 3u);
    EXPECT_EQ(CountByFileName(out), (std::map<std::string, int>{{"a.jpg", 1}, {"b.jpg", 1}, {"c.jpg", 1}}));
}

TEST_F(ScanFolderTest, LinksToFilesAndDanglingLinksAreTakenLinksToFoldersAreFolders) {
    const std::string real = File("real.jpg");
    File("sub/inner.jpg");
    fs::create_symlink(real, root + "/link.jpg");
    fs::create_symlink(root + "/missing.jpg", root + "/dangling.jpg");
    fs::create_directory_symlink(root + "/sub", root + "/folderlink");

    EXPECT_EQ(Sorted(Scan(root, false)), Sorted({real, root + "/link.jpg", root + "/dangling.jpg"}));
}

TEST_F(ScanFolderTest, LinksLeadingOutOfTheChosenFolderAreNotFollowed) {
    const std::string inside = File("chosen/a.jpg");
    const std::string deeper = File("chosen/sub/b.jpg");
    File("outside/x.jpg");
    fs::create_directory_symlink(root + "/outside", root + "/chosen/out");
    fs::create_directory_symlink("/", root + "/chosen/everything");
    fs::create_directory_symlink(root + "/chosen/sub", root + "/chosen/zalias");
    fs::create_directory_symlink(root + "/chosen", root + "/chosenlink");

    EXPECT_EQ(Sorted(Scan(root + "/chosen", true)), Sorted({inside, deeper}));
    // Chosen through a link: its own tree is still inside.
    EXPECT_EQ(Sorted(Scan(root + "/chosenlink", true)),
              Sorted({root + "/chosenlink/a.jpg", root + "/chosenlink/sub/b.jpg"}));
}

TEST_F(ScanFolderTest, AStopAskedForEndsTheScan) {
    for (const char* name : {"a/1.jpg", "b/2.jpg", "c/3.jpg"})
        File(name);
    struct StopAfterFirstFolder : ProgressSink {
        int reports = 0;
        void Report(std::size_t, std::size_t, std::string_view) override { ++reports; }
        bool StopRequested() override { return reports > 0; }
    } stopper;
    FilePathList out;
    EXPECT_FALSE(ScanFolder(out, root, true, &stopper));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(ScanFolder(out, root, true));
    EXPECT_EQ(out.size(), 3u);
}

TEST_F(ScanFolderTest, NameThatIsNotUtf8IsKeptByteForByte) {
    const std::string latin1 = File("caf\xE9.jpg");
    const std::string broken = File("sub/\xFF\xFE-\x83\x5C.jpg");
    EXPECT_EQ(Sorted(Scan(root, true)), Sorted({latin1, broken}));
}

TEST_F(ScanFolderTest, UnreadableFolderContributesNothingAndStopsNothing) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not apply to root";
    const std::string a = File("a.jpg");
    File("locked/x.jpg");
    const std::string z = File("z/y.jpg");
    const std::string locked = root + "/locked";
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);

    const FilePathList out = Scan(root, true);
    const FilePathList lockedOut = Scan(locked, true);
    ::chmod(locked.c_str(), 0755); // so that the temporary folder can be removed

    EXPECT_EQ(Sorted(out), Sorted({a, z}));
    EXPECT_TRUE(lockedOut.empty());
}

TEST_F(ScanFolderTest, PseudoFileSystemsAreNotEntered) {
    // /proc/self/task/N/root leads back to the whole file system.
    const std::string file = File("a.jpg");
    for (const char* pseudo : {"/proc", "/sys", "/dev"})
        fs::create_directory_symlink(pseudo, root + pseudo);
    EXPECT_EQ(Scan(root, true), FilePathList{file});
    EXPECT_TRUE(Scan("/proc", false).empty());
}

TEST_F(ScanFolderTest, MissingFolderAddsNothingAndKeepsWhatOutHeld) {
    FilePathList out{"/kept/first.jpg"};
    ScanFolder(out, root + "/absent", true);
    ScanFolder(out, "", true);
    EXPECT_EQ(out, FilePathList{"/kept/first.jpg"});

    const std::string a = File("a.jpg");
    ScanFolder(out, root, true);
    EXPECT_EQ(out, (FilePathList{"/kept/first.jpg", a}));
}

} // namespace
} // namespace pelldrake
