#include "app/settings_file.h"
#include "intake/extension_filter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::TempDir;
using Patterns = std::vector<std::string>;

// ソ and 表 in code page 932: their trail byte is the backslash.
const std::string kSo = "\x83\x5C";
const std::string kHyo = "\x95\x5C";

struct FilterCase {
    const char* name;
    std::string path;
    Patterns patterns;
    bool apply;
    bool bypass;
    bool accepted;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<FilterCase>& info) {
    return info.param.name;
}

class NativeFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(NativeFilter, DecidesByTheLastDotOfTheFileName) {
    const FilterCase& c = GetParam();
    EXPECT_EQ(ExtensionFilter::Accepts(c.path, c.patterns, c.apply, c.bypass), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    ExtensionFilter, NativeFilter,
    ::testing::Values(FilterCase{"UpperCaseExtensionMatches", "/pics/A.JPG", {"jpg"}, true, false, true},
                      FilterCase{"PatternInUpperCaseMatches", "/pics/a.jpg", {"JPG"}, true, false, true},
                      FilterCase{"AnyPatternOfTheList", "/pics/a.png", {"jpg", "png"}, true, false, true},
                      FilterCase{"LongerExtensionRejected", "/pics/a.jpeg", {"jpg"}, true, false, false},
                      FilterCase{"DotInFolderNameNeverCounts", "/pics.old/README", {"jpg"}, true, false, false},
                      FilterCase{"DotInFolderNameNotTheExtension", "/a.jpg/README", {"jpg"}, true, false, false},
                      FilterCase{"EmptyExtensionRejected", "/pics/b.", {"jpg"}, true, false, false},
                      FilterCase{"OnlyTheLastDotCounts", "/a/archive.tar.gz", {"tar"}, true, false, false},
                      FilterCase{"LastDotGivesTheExtension", "/a/archive.tar.gz", {"gz"}, true, false, true},
                      FilterCase{"StarDotPatternNeverMatches", "/pics/a.jpg", {"*.jpg"}, true, false, false},
                      FilterCase{"DotPatternNeverMatches", "/pics/a.jpg", {".jpg"}, true, false, false},
                      FilterCase{"DotFileIsAllExtension", "/pics/.jpg", {"jpg"}, true, false, true},
                      FilterCase{"FirstCharacterIsNeverExamined", ".jpg", {"jpg"}, true, false, false},
                      FilterCase{"NoSeparatorNoDotRejected", "README", {"jpg"}, true, false, false},
                      FilterCase{"FullWidthLettersFold",
                                 "/pics/a.\xEF\xBD\x8A\xEF\xBD\x90\xEF\xBD\x87", // ｊｐｇ
                                 {"\xEF\xBC\xAA\xEF\xBC\xB0\xEF\xBC\xA7"},       // ＪＰＧ
                                 true,
                                 false,
                                 true},
                      FilterCase{"SwitchOffAcceptsAll", "/pics.old/README", {"jpg"}, false, false, true},
                      FilterCase{"EmptyListAcceptsAll", "/pics.old/README", {}, true, false, true},
                      FilterCase{"BypassAcceptsAll", "/pics/c.png", {"jpg"}, true, true, true},
                      FilterCase{"BypassAcceptsNoExtension", "/pics/d", {"jpg"}, true, true, true}),
    CaseName);

class Cp932Filter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(Cp932Filter, StepsOverDoubleByteCharactersWhole) {
    static const Cp932CodePage cp932;
    const PathText windowsPaths(cp932, '\\');
    const FilterCase& c = GetParam();
    EXPECT_EQ(ExtensionFilter::Accepts(c.path, c.patterns, c.apply, c.bypass, windowsPaths), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    ExtensionFilter, Cp932Filter,
    ::testing::Values(FilterCase{"UpperCaseExtensionMatches", "C:\\pics\\A.JPG", {"jpg"}, true, false, true},
                      FilterCase{"DotInFolderNameNeverCounts", "C:\\pics.old\\README", {"jpg"}, true, false, false},
                      FilterCase{"SoBeforeTheDot", "C:\\pics\\" + kSo + ".jpg", {"jpg"}, true, false, true},
                      FilterCase{"HyoBeforeTheDot", "C:\\pics\\a" + kHyo + ".JPG", {"jpg"}, true, false, true},
                      FilterCase{"SoAfterTheDotIsNoSeparator", "C:\\pics\\a." + kSo, {kSo}, true, false, true},
                      FilterCase{
                          "HyoInsideTheExtension", "C:\\pics\\a.b" + kHyo + "c", {"B" + kHyo + "C"}, true, false, true},
                      FilterCase{"FolderEndingInHyo", "C:\\pics" + kHyo + "\\a.jpg", {"jpg"}, true, false, true},
                      FilterCase{"FolderEndingInHyoNoDot", "C:\\pics" + kHyo + "\\README", {"jpg"}, true, false, false},
                      FilterCase{"FullWidthLettersFold",
                                 "C:\\a.\x82\x8A\x82\x90\x82\x87", // ｊｐｇ
                                 {"\x82\x69\x82\x6F\x82\x66"},     // ＪＰＧ
                                 true,
                                 false,
                                 true},
                      // 0x61 as a trail byte is no letter 'a'.
                      FilterCase{"TrailByteIsNotFolded", "C:\\a.\x83\x61", {"\x83\x41"}, true, false, false}),
    CaseName);

struct LoadCase {
    const char* name;
    std::string extFilterSection; // lines of the section, without the header
    Patterns expected;
};

void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << c.name;
}

class LoadPatterns : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadPatterns, ReadsCountKeysInIndexOrder) {
    TempDir dir;
    const LoadCase& c = GetParam();
    dir.Write("pelldrake.INI", QByteArray::fromStdString("[DIALOG]\r\nMODE=1\r\n[EXTFILTER]\r\n" + c.extFilterSection));
    const SettingsFile settings(dir.FilePath("pelldrake.INI"));
    EXPECT_EQ(ExtensionFilter::Load(settings), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ExtensionFilter, LoadPatterns,
    ::testing::Values(
        LoadCase{"NoCount", "EXT00=jpg\r\n", {}}, LoadCase{"CountZero", "COUNT=0\r\nEXT00=jpg\r\n", {}},
        LoadCase{"CountNegative", "COUNT=-2\r\nEXT00=jpg\r\n", {}},
        LoadCase{"CountNotANumber", "COUNT=two\r\nEXT00=jpg\r\n", {}},
        LoadCase{"CountWithTrailingText", "COUNT=2x\r\nEXT00=jpg\r\nEXT01=png\r\n", {"jpg", "png"}},
        LoadCase{"MissingKeyReadsAsZero", "COUNT=3\r\nEXT00=jpg\r\nEXT02=png\r\n", {"jpg", "0", "png"}},
        LoadCase{
            "NothingPastTheLastStoredKey", "COUNT=5\r\nEXT00=jpg\r\nEXT002=gif\r\nEXT02=png\r\n", {"jpg", "0", "png"}},
        LoadCase{"EmptyValueSkipped", "COUNT=3\r\nEXT00=jpg\r\nEXT01=\r\nEXT02=png\r\n", {"jpg", "png"}},
        LoadCase{"KeysBeyondCountIgnored", "COUNT=2\r\nEXT00=jpg\r\nEXT01=png\r\nEXT02=gif\r\n", {"jpg", "png"}},
        LoadCase{"IndexOrderNotFileOrder", "EXT01=png\r\nEXT00=jpg\r\nCOUNT=2\r\n", {"jpg", "png"}},
        LoadCase{"OverlongValueCutToAPathBuffer",
                 "COUNT=1\r\nEXT00=" + std::string(300, 'x') + "\r\n",
                 {std::string(259, 'x')}}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(ExtensionFilterLoad, NoSettingsFileGivesAnEmptyList) {
    TempDir dir;
    EXPECT_TRUE(ExtensionFilter::Load(SettingsFile(dir.FilePath("absent.INI"))).empty());
}

TEST(ExtensionFilterLoad, IndexesFromHundredOnHaveThreeDigits) {
    TempDir dir;
    const SettingsFile settings(dir.FilePath("pelldrake.INI"));
    for (int i = 0; i < 101; ++i)
        settings.WriteExtFilterPattern(i, "e" + std::to_string(i));
    settings.WriteExtFilterCount(101);
    const Patterns patterns = ExtensionFilter::Load(settings);
    ASSERT_EQ(patterns.size(), 101u);
    EXPECT_EQ(patterns[9], "e9");
    EXPECT_EQ(patterns[100], "e100");
    EXPECT_EQ(settings.profile().ReadText("EXTFILTER", "EXT100", ""), "e100");
}

TEST(ExtensionFilterLoad, AnEditCountsAtTheNextRead) {
    TempDir dir;
    const SettingsFile settings(dir.FilePath("pelldrake.INI"));
    ExtensionFilter::Save(settings, {"jpg"});
    EXPECT_EQ(ExtensionFilter::Load(settings), Patterns{"jpg"});
    ExtensionFilter::Save(settings, {"png", "gif"});
    EXPECT_EQ(ExtensionFilter::Load(settings), (Patterns{"png", "gif"}));
}

TEST(ExtensionFilterSave, TrimsSkipsEmptyRowsAndRenumbersFromZero) {
    TempDir dir;
    dir.Write("pelldrake.INI", "[EXTFILTER]\r\nCOUNT=5\r\nEXT00=a\r\nEXT01=b\r\nEXT02=c\r\nEXT03=d\r\nEXT04=e\r\n");
    const SettingsFile settings(dir.FilePath("pelldrake.INI"));

    EXPECT_EQ(ExtensionFilter::Save(settings, {" \tpng \r\n", "", "gif\n[VIEWER]\nDELTHUMBDB=1", " \t", "jpg"}), 2);

    const ProfileFile& profile = settings.profile();
    EXPECT_EQ(profile.ReadText("EXTFILTER", "EXT00", ""), "png");
    EXPECT_EQ(profile.ReadText("EXTFILTER", "EXT01", ""), "jpg");
    EXPECT_EQ(profile.ReadText("EXTFILTER", "COUNT", ""), "2");
    // Left behind by the longer list, and hidden by COUNT.
    EXPECT_EQ(profile.ReadText("EXTFILTER", "EXT02", ""), "c");
    EXPECT_EQ(profile.ReadText("EXTFILTER", "EXT04", ""), "e");
    EXPECT_EQ(ExtensionFilter::Load(settings), (Patterns{"png", "jpg"}));
    EXPECT_EQ(settings.DeleteThumbDb(), 0);
}

TEST(ExtensionFilterSave, NoRowsWritesCountZero) {
    TempDir dir;
    const SettingsFile settings(dir.FilePath("pelldrake.INI"));
    ExtensionFilter::Save(settings, {"jpg"});
    EXPECT_EQ(ExtensionFilter::Save(settings, {" ", ""}), 0);
    EXPECT_EQ(settings.profile().ReadText("EXTFILTER", "COUNT", ""), "0");
    EXPECT_TRUE(ExtensionFilter::Load(settings).empty());
}

TEST(ExtensionFilterFileDialogEntry, JoinsStarDotPatternsInListOrder) {
    EXPECT_FALSE(ExtensionFilter::FileDialogEntry({}).has_value());

    const auto entry = ExtensionFilter::FileDialogEntry({"jpg", "png"});
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->first, QStringLiteral(u"拡張子フィルタ"));
    EXPECT_EQ(entry->second, QStringLiteral("*.jpg;*.png"));

    EXPECT_EQ(ExtensionFilter::FileDialogEntry({"*.jpg", ".jpg"})->second, QStringLiteral("*.*.jpg;*..jpg"));
    EXPECT_EQ(ExtensionFilter::FileDialogEntry({"gif"})->second, QStringLiteral("*.gif"));
}

} // namespace
} // namespace pelldrake
