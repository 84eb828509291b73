#include "app/settings_file.h"
#include "board/board.h"
#include "board/moves.h"
#include "intake/add_files.h"
#include "intake/extension_filter.h"
#include "intake/scan_folder.h"
#include "resources/control_ids.h"
#include "support/recording_owner.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelldrake {
namespace {

namespace fs = std::filesystem;
using testing::RecordingOwner;
using testing::TempDir;

bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

FilePathList Sorted(FilePathList paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

class AddFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        board.AttachOwner(&owner);
        owner = RecordingOwner();
        // The thumbnail-cache rule sends files to the trash: this test's own.
        previousDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.FilePath(QStringLiteral("data"))));
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", previousDataHome); }
    bool InTrash(const std::string& name) const {
        return Exists(dir.Native(QStringLiteral("data/Trash/files/")) + name);
    }

    std::string File(const std::string& name) { return dir.Touch("files/" + name); }

    int Add(FilePathList candidates, ListIndex target = kUnclassified, bool applyFilter = false, bool bypass = false,
            PathCase pathCase = kNativePathCase) {
        return AddFiles(board, settings, applyFilter, std::move(candidates), target, bypass, pathCase);
    }

    const FilePathList& Entries(ListIndex list) const { return board.List(list).Entries(); }

    TempDir dir;
    QByteArray previousDataHome;
    const std::string root = QFile::encodeName(dir.path()).toStdString() + "/files";
    SettingsFile settings{dir.FilePath("pelldrake.INI")};
    RecordingOwner owner;
    Board board;
};

// Every report of a long intake, in order.
struct RecordingProgress : ProgressSink {
    struct Step {
        std::size_t done, total;
        std::string at;
    };
    void Report(std::size_t done, std::size_t total, std::string_view at) override {
        steps.push_back({done, total, std::string(at)});
    }
    void Finish() override { ++finished; }
    std::vector<Step> steps;
    int finished = 0;
};

TEST_F(AddFilesTest, ScanAndAddTellHowFarTheyHaveCome) {
    for (int i = 0; i < 600; ++i)
        File("many/" + std::to_string(i) + ".jpg");
    File("many/sub/x.jpg");
    RecordingProgress progress;
    FilePathList found;
    ScanFolder(found, root + "/many", true, &progress);
    ASSERT_EQ(found.size(), 601u);
    // Counts of files found so far, the total unknown: growing, and at least once per folder.
    ASSERT_GE(progress.steps.size(), 4u);
    EXPECT_TRUE(std::all_of(progress.steps.begin(), progress.steps.end(), [](const auto& s) { return s.total == 0; }));
    EXPECT_TRUE(std::is_sorted(progress.steps.begin(), progress.steps.end(),
                               [](const auto& a, const auto& b) { return a.done < b.done; }));
    EXPECT_EQ(progress.steps.back().done, 600u); // after the last folder, the subfolder's file still to come
    progress.steps.clear();

    EXPECT_EQ(AddFiles(board, settings, false, found, kUnclassified, false, kNativePathCase, &progress), 601);
    ASSERT_EQ(progress.steps.size(), 3u); // candidates 0, 256 and 512, each with the file it is at
    EXPECT_EQ(progress.steps[1].done, 256u);
    EXPECT_EQ(progress.steps[1].total, 601u);
    EXPECT_EQ(progress.steps[1].at, found[256]);
}

TEST_F(AddFilesTest, SameFileTwiceInABatchOrInAnyListIsLeftOut) {
    const std::string a = File("a.jpg");
    const std::string b = File("b.jpg");
    const std::string c = File("c.jpg");
    board.List(3).Append(a);

    EXPECT_EQ(Add({a, b, b, c, a, c}), 2);

    EXPECT_EQ(Entries(kUnclassified), (FilePathList{b, c}));
    EXPECT_EQ(Entries(3), FilePathList{a});
    EXPECT_EQ(Add({c, b, a}), 0);
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{b, c}));
}

TEST_F(AddFilesTest, FileInAClassificationListDroppedAgainGoesNowhere) {
    const std::string a = File("a.jpg");
    ASSERT_EQ(Add({a}, 3), 1);
    EXPECT_EQ(Add({a}, kUnclassified), 0);
    EXPECT_TRUE(Entries(kUnclassified).empty());
    EXPECT_EQ(Entries(3), FilePathList{a});
}

TEST_F(AddFilesTest, OnlyExistingRegularFilesAreAdded) {
    const std::string file = File("a.jpg");
    const std::string folder = root + "/folder.jpg";
    fs::create_directories(folder);
    const std::string fifo = root + "/pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string link = root + "/link.jpg";
    fs::create_symlink(file, link);
    const std::string dangling = root + "/dangling.jpg";
    fs::create_symlink(root + "/gone.jpg", dangling);

    EXPECT_EQ(Add({folder, root + "/missing.jpg", fifo, link, dangling, root}), 1);
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{link})); // the link's spelling is kept
}

TEST_F(AddFilesTest, OneFileUnderManySpellingsIsOneEntry) {
    const std::string file = File("pics/a.jpg");
    fs::create_directory_symlink(root + "/pics", root + "/link");
    fs::create_hard_link(file, root + "/hard.jpg");
    ASSERT_EQ(Add({root + "/pics//a.jpg"}, 3), 1);
    EXPECT_EQ(Add({file, root + "/link/a.jpg", root + "/pics/./a.jpg", root + "/hard.jpg"}), 0);
    EXPECT_EQ(Entries(3), FilePathList{root + "/pics//a.jpg"});

    // The file goes with its entry wherever the entry goes: to another list, out and back by undo.
    const auto step = [this](auto&& change) {
        const BoardHistory::Scope scope(board.history());
        change();
    };
    step([this] { moves::MoveAllEntries(board, 3, 5); });
    step([this] { moves::ClearList(board, 5); });
    ASSERT_TRUE(board.history().Undo());
    step([this] { moves::ReturnCurrentToUnclassified(board, 5); });
    step([this] { moves::MoveCurrentToList(board, 7); });
    ASSERT_TRUE(board.history().Undo());
    EXPECT_EQ(Entries(kUnclassified), FilePathList{root + "/pics//a.jpg"});
    EXPECT_EQ(Add({root + "/hard.jpg"}, 2), 0);
}

struct ThumbCacheCase {
    const char* name;
    int deleteThumbDb;
    const char* cacheName; // nullptr: the default name
    const char* fileName;
    bool deleted;
};

void PrintTo(const ThumbCacheCase& c, std::ostream* os) {
    *os << c.name;
}

class ThumbCacheRule : public AddFilesTest, public ::testing::WithParamInterface<ThumbCacheCase> {};

TEST_P(ThumbCacheRule, CacheFileIsDeletedInsteadOfAdded) {
    const ThumbCacheCase& c = GetParam();
    settings.WriteDeleteThumbDb(c.deleteThumbDb);
    if (c.cacheName)
        settings.profile().WriteText("VIEWER", "THUMBDBNAME", c.cacheName);
    const std::string before = File("before.jpg");
    const std::string cache = File(c.fileName);
    const std::string after = File("after.jpg");

    Add({before, cache, after});

    EXPECT_EQ(Exists(cache), !c.deleted);
    EXPECT_EQ(InTrash(fs::path(cache).filename().string()), c.deleted);
    const FilePathList expected = c.deleted ? FilePathList{before, after} : FilePathList{before, cache, after};
    EXPECT_EQ(Entries(kUnclassified), expected);
}

INSTANTIATE_TEST_SUITE_P(
    AddFiles, ThumbCacheRule,
    ::testing::Values(ThumbCacheCase{"OnDefaultNameAnyCase", 1, nullptr, "Thumbs.db", true},
                      ThumbCacheCase{"OnInSubfolder", 1, nullptr, "sub/THUMBS.DB", true},
                      ThumbCacheCase{"OnAnyNonZero", -3, nullptr, "thumbs.db", true},
                      ThumbCacheCase{"OnCustomName", 1, "ehthumbs.db", "EhThumbs.db", true},
                      ThumbCacheCase{"OnCustomNameSparesTheDefault", 1, "ehthumbs.db", "Thumbs.db", false},
                      ThumbCacheCase{"OnWholeNameOnly", 1, nullptr, "my_thumbs.db", false},
                      ThumbCacheCase{"OnNameMustEndThePath", 1, nullptr, "thumbs.db.jpg", false},
                      ThumbCacheCase{"Off", 0, nullptr, "Thumbs.db", false}),
    [](const ::testing::TestParamInfo<ThumbCacheCase>& info) { return std::string(info.param.name); });

TEST_F(AddFilesTest, CacheRuleActsOnlyOnRegularFilesInsideTheChosenFolder) {
    settings.WriteDeleteThumbDb(1);
    const std::string chosen = root + "/chosen";
    const std::string own = File("chosen/sub/Thumbs.db");
    const std::string elsewhere = File("outside/THUMBS.DB");
    const std::string linkTarget = File("outside/kept.db");
    fs::create_directory_symlink(root + "/outside", chosen + "/out");
    fs::create_directory_symlink("/", chosen + "/everything");
    fs::create_symlink(linkTarget, chosen + "/thumbs.db");

    EXPECT_EQ(AddFiles(board, settings, false,
                       {own, chosen + "/out/THUMBS.DB", chosen + "/everything" + elsewhere, chosen + "/thumbs.db"},
                       kUnclassified, false, kNativePathCase, nullptr, {chosen}),
              0);

    EXPECT_FALSE(Exists(own));
    EXPECT_TRUE(InTrash("Thumbs.db"));
    EXPECT_TRUE(Exists(elsewhere));
    EXPECT_TRUE(Exists(chosen + "/thumbs.db"));
    EXPECT_TRUE(Exists(linkTarget));
    EXPECT_TRUE(Entries(kUnclassified).empty());
}

TEST_F(AddFilesTest, CacheFileIsDeletedEvenWhenTheFilterWouldRejectIt) {
    settings.WriteDeleteThumbDb(1);
    ExtensionFilter::Save(settings, {"jpg"});
    const std::string cache = File("Thumbs.db");
    const std::string a = File("a.jpg");
    EXPECT_EQ(Add({cache, a}, kUnclassified, true), 1);
    EXPECT_FALSE(Exists(cache));
    EXPECT_EQ(Entries(kUnclassified), FilePathList{a});
}

struct FilterCase {
    const char* name;
    std::vector<std::string> patterns;
    bool apply;
    bool bypass;
    std::vector<const char*> added;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.name;
}

class FilterInAddFiles : public AddFilesTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterInAddFiles, ScannedFolderKeepsWhatTheFilterAdmits) {
    const FilterCase& c = GetParam();
    ExtensionFilter::Save(settings, c.patterns);
    for (const char* name : {"a.jpg", "b.JPG", "c.png", "d"})
        File(name);
    FilePathList candidates;
    ScanFolder(candidates, root, false);

    Add(candidates, kUnclassified, c.apply, c.bypass);

    FilePathList expected;
    for (const char* name : c.added)
        expected.push_back(root + "/" + name);
    EXPECT_EQ(Sorted(Entries(kUnclassified)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    AddFiles, FilterInAddFiles,
    ::testing::Values(FilterCase{"Applied", {"jpg"}, true, false, {"a.jpg", "b.JPG"}},
                      FilterCase{"AppliedTwoPatterns", {"png", "jpg"}, true, false, {"a.jpg", "b.JPG", "c.png"}},
                      FilterCase{"Bypassed", {"jpg"}, true, true, {"a.jpg", "b.JPG", "c.png", "d"}},
                      FilterCase{"SwitchedOff", {"jpg"}, false, false, {"a.jpg", "b.JPG", "c.png", "d"}},
                      FilterCase{"EmptyList", {}, true, false, {"a.jpg", "b.JPG", "c.png", "d"}}),
    [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST_F(AddFilesTest, PairsAreSettledByWhatComesInAndARawFileThatIsAnEntryPairsWithNothing) {
    settings.WriteIntakePairs(true);
    auto paired = [&](ListIndex list) { return board.List(list).IdentityAt(0).Paired(); };
    // A JPEG that the filter refuses pairs with nothing: its raw file comes in by itself.
    const std::string jpeg = File("N.jpg");
    const std::string raw = File("N.cr2");
    ExtensionFilter::Save(settings, {"cr2"});
    EXPECT_EQ(Add({jpeg, raw}, 1, true), 1);
    EXPECT_EQ(Entries(1), FilePathList{raw});
    // Nor does a link to nothing in the JPEG's place.
    const std::string dangling = root + "/L.jpg";
    ASSERT_EQ(::symlink((root + "/gone.jpg").c_str(), dangling.c_str()), 0);
    const std::string lonely = File("L.nef");
    EXPECT_EQ(Add({dangling, lonely}, 2), 1);
    EXPECT_EQ(Entries(2), FilePathList{lonely});
    EXPECT_FALSE(paired(2));

    // A JPEG that comes in takes its raw file along, whatever the filter says of the raw file.
    const std::string pairJpeg = File("P.JPG");
    const std::string pairRaw = File("P.cr2");
    ExtensionFilter::Save(settings, {"jpg"});
    EXPECT_EQ(Add({pairRaw, pairJpeg}, 3, true), 1);
    EXPECT_EQ(Entries(3), FilePathList{pairJpeg});
    EXPECT_TRUE(paired(3));
    // Met again with its pair on the board, the raw file stays out.
    EXPECT_EQ(Add({pairRaw, pairJpeg}, 4), 0);

    // A raw file already an entry is nobody's companion: the JPEG comes in without a pair.
    EXPECT_EQ(Add({jpeg, raw}, 5), 1);
    EXPECT_EQ(Entries(5), FilePathList{jpeg});
    EXPECT_FALSE(paired(5));
    // Taken in without pairs, a JPEG stays without: a later look brings its raw file in by itself.
    const std::string single = File("S.jpg");
    const std::string singleRaw = File("S.orf");
    settings.WriteIntakePairs(false);
    EXPECT_EQ(Add({single}, 6), 1);
    settings.WriteIntakePairs(true);
    EXPECT_EQ(Add({singleRaw, single}, 7), 1);
    EXPECT_EQ(Entries(7), FilePathList{singleRaw});
    EXPECT_FALSE(paired(6));
}

TEST_F(AddFilesTest, ListWithACurrentFileKeepsIt) {
    for (int i = 0; i < 7; ++i)
        board.List(kUnclassified).Append("/elsewhere/" + std::to_string(i) + ".jpg");
    board.ResyncPane(kUnclassified, 4);
    owner = RecordingOwner();

    EXPECT_EQ(Add({File("a.jpg"), File("b.jpg"), File("c.jpg")}), 3);

    const ClassList& list = board.List(kUnclassified);
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.position(), 4);
    EXPECT_EQ(list.At(4), "/elsewhere/4.jpg");
    EXPECT_EQ(owner.scrollMax[kUnclassified], 9);
    EXPECT_EQ(owner.scrollPos[kUnclassified], 4);
    EXPECT_EQ(owner.shownCurrent, std::vector<ListIndex>{kUnclassified});
    EXPECT_EQ(owner.shownTitle, std::vector<ListIndex>{kUnclassified});
}

TEST_F(AddFilesTest, EmptyListShowsItsFirstNewFile) {
    const std::string a = File("a.jpg");
    EXPECT_EQ(Add({a, File("b.jpg")}, 5), 2);

    EXPECT_EQ(board.List(5).position(), 0);
    EXPECT_TRUE(board.List(5).HasCurrent());
    EXPECT_EQ(board.List(5).At(0), a);
    EXPECT_EQ(board.PaneTitle(5), QStringLiteral(u"分類5(1/2)"));
    EXPECT_EQ(owner.shownCurrent, std::vector<ListIndex>{5});
    EXPECT_EQ(owner.scrollMax[5], 1);
}

TEST_F(AddFilesTest, ControlsAreEnabledOnceForTheWholeBatch) {
    FilePathList candidates;
    for (int i = 0; i < 50; ++i)
        candidates.push_back(File(std::to_string(i) + ".jpg"));

    EXPECT_EQ(Add(candidates), 50);

    const std::vector<int> controls = Board::DependentControlsOf(kUnclassified);
    EXPECT_EQ(owner.enableCalls, static_cast<int>(controls.size()));
    EXPECT_EQ(owner.focusCalls, 1);
    for (int id : controls)
        EXPECT_TRUE(owner.IsEnabled(id)) << id;
    EXPECT_FALSE(board.List(kUnclassified).InBulkUpdate());
}

TEST_F(AddFilesTest, NothingToAddStillRefreshesThePane) {
    EXPECT_EQ(Add({}), 0);
    EXPECT_EQ(Add({root + "/missing.jpg"}), 0);

    EXPECT_EQ(owner.shownCurrent, (std::vector<ListIndex>{kUnclassified, kUnclassified}));
    EXPECT_EQ(owner.focusCalls, 2);
    EXPECT_FALSE(owner.IsEnabled(ids::Dispose(kUnclassified)));
}

TEST_F(AddFilesTest, PathIsStoredByteForByte) {
    const std::string latin1 = File("caf\xE9.jpg");
    FilePathList candidates;
    ScanFolder(candidates, root, false);
    ASSERT_EQ(Add(candidates), 1);
    EXPECT_EQ(Entries(kUnclassified), FilePathList{latin1});
}

TEST_F(AddFilesTest, CaseSensitiveFileSystemKeepsNamesDifferingInCase) {
    const std::string lower = File("a.jpg");
    const std::string upper = File("A.JPG");
    EXPECT_EQ(Add({lower, upper}), 2);
}

TEST_F(AddFilesTest, CaseInsensitiveFileSystemTakesOneSpelling) {
    const std::string lower = File("a.jpg");
    const std::string upper = File("A.JPG");
    const std::string fullWidthLower = File("\xEF\xBD\x81.jpg"); // ａ.jpg
    board.List(2).Append(root + "/\xEF\xBC\xA1.JPG");            // Ａ.JPG

    EXPECT_EQ(Add({lower, upper, fullWidthLower}, kUnclassified, false, false, PathCase::Insensitive), 1);
    EXPECT_EQ(Entries(kUnclassified), FilePathList{lower});
}

TEST(PathKey, UpperCasesThroughTheCodePageOnlyWhereCaseDoesNotCount) {
    const Cp932CodePage cp932;
    const std::string path = "c:\\\x82\x81\\\x83\x5C\x83\x61.jpg"; // c:\ａ\ソ + a trail byte 0x61 + .jpg
    EXPECT_EQ(PathKey(path, PathCase::Insensitive, cp932), "C:\\\x82\x60\\\x83\x5C\x83\x61.JPG");
    EXPECT_EQ(PathKey(path, PathCase::Sensitive, cp932), path);
    EXPECT_EQ(PathKey("/home/u/\xCE\xB1.jpg", PathCase::Insensitive), "/HOME/U/\xCE\x91.JPG"); // α → Α
}

TEST(DuplicateIndex, KnowsEveryPathOnceUnderItsKey) {
    const std::vector<std::string> paths{"/p/a.jpg", "/p/A.JPG", "/p/b.jpg"};

    DuplicateIndex exact(PathCase::Sensitive);
    EXPECT_TRUE(exact.Insert(paths[0]));
    EXPECT_TRUE(exact.Insert(paths[1]));
    EXPECT_FALSE(exact.Insert(paths[0]));
    EXPECT_TRUE(exact.Contains("/p/A.JPG"));
    EXPECT_FALSE(exact.Contains("/p/b.jpg"));

    DuplicateIndex folded(PathCase::Insensitive);
    EXPECT_TRUE(folded.Insert(paths[0]));
    EXPECT_FALSE(folded.Insert(paths[1]));
    EXPECT_TRUE(folded.Contains("/P/a.Jpg"));
    EXPECT_TRUE(folded.Insert(std::string("/p/b.jpg"))); // a temporary: the folded key is the index's own
    EXPECT_TRUE(folded.Contains("/P/B.JPG"));
}

} // namespace
} // namespace pelldrake
