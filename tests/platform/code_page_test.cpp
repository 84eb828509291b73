#include "platform/code_page.h"
#include "platform/path_text.h"

#include <gtest/gtest.h>

namespace pelldrake {
namespace {

// ソ and 表 in code page 932: their trail byte is the backslash.
const std::string kSo = "\x83\x5C";
const std::string kHyo = "\x95\x5C";

TEST(Cp932CodePage, StepsOverDoubleByteCharactersWhole) {
    Cp932CodePage cp;
    const std::string text = "a" + kSo + "b" + kHyo;
    EXPECT_EQ(cp.Next(text, 0), 1u);
    EXPECT_EQ(cp.Next(text, 1), 3u);
    EXPECT_EQ(cp.Next(text, 3), 4u);
    EXPECT_EQ(cp.Next(text, 4), 6u);
    EXPECT_EQ(cp.Previous(text, 6), 4u);
    EXPECT_EQ(cp.Previous(text, 4), 3u);
    EXPECT_EQ(cp.Previous(text, 3), 1u);
    EXPECT_EQ(cp.Previous(text, 1), 0u);
    EXPECT_TRUE(cp.IsLeadByte(0x83));
    EXPECT_TRUE(cp.IsLeadByte(0xE0));
    EXPECT_FALSE(cp.IsLeadByte(0x5C));
    EXPECT_FALSE(cp.IsLeadByte(0xA1)); // half-width katakana is one byte
}

TEST(Cp932CodePage, LoneLeadByteAtTheEndIsOneCharacter) {
    Cp932CodePage cp;
    const std::string text = "ab\x83";
    EXPECT_EQ(cp.Next(text, 2), 3u);
    EXPECT_EQ(cp.Previous(text, 3), 2u);
}

TEST(Cp932CodePage, UpperCasesAsciiAndFullWidthGreekCyrillic) {
    Cp932CodePage cp;
    EXPECT_EQ(cp.ToUpper("abc.Jpg"), "ABC.JPG");
    EXPECT_EQ(cp.ToUpper("\x82\x81\x82\x9A"), "\x82\x60\x82\x79");             // ａｚ → ＡＺ
    EXPECT_EQ(cp.ToUpper("\x83\xBF\x83\xD6"), "\x83\x9F\x83\xB6");             // αω → ΑΩ
    EXPECT_EQ(cp.ToUpper("\x84\x70\x84\x7E\x84\x80\x84\x91"),                  // а н о я
              "\x84\x40\x84\x4E\x84\x4F\x84\x60");                              // А Н О Я
    EXPECT_EQ(cp.ToUpper(kSo + "a"), kSo + "A");                               // trail 0x5C untouched
    // The trail byte of a double-byte character is never folded as if it were ASCII.
    EXPECT_EQ(cp.ToUpper("\x83\x61"), "\x83\x61");
}

TEST(Cp932CodePage, ComparesDoubleByteCharactersByTheirWholeValue) {
    Cp932CodePage cp;
    EXPECT_EQ(cp.Compare("abc", "abc"), 0);
    EXPECT_LT(cp.Compare("abc", "abd"), 0);
    EXPECT_LT(cp.Compare("ab", "abc"), 0);
    // 0xA1 (one byte) is below 0x8340 (two bytes) although its first byte is larger.
    EXPECT_LT(cp.Compare("\xA1", "\x83\x40"), 0);
    EXPECT_NE(cp.Compare("a.JPG", "a.jpg"), 0);
    EXPECT_EQ(cp.CompareNoCase("a.JPG", "A.jpg"), 0);
    EXPECT_EQ(cp.CompareNoCase("\x82\x81", "\x82\x60"), 0);
    EXPECT_NE(cp.CompareNoCase(kSo, "\x83\x7C"), 0);
}

TEST(Utf8CodePage, StepsByCodePointAndKeepsBrokenBytesSingle) {
    Utf8CodePage cp;
    const std::string text = "a\xE3\x82\xBD/\xF0\x9F\x98\x80\xFF";
    EXPECT_EQ(cp.Next(text, 0), 1u);
    EXPECT_EQ(cp.Next(text, 1), 4u);
    EXPECT_EQ(cp.Next(text, 4), 5u);
    EXPECT_EQ(cp.Next(text, 5), 9u);
    EXPECT_EQ(cp.Next(text, 9), 10u);
    EXPECT_EQ(cp.Previous(text, 9), 5u);
    EXPECT_EQ(cp.Previous(text, 4), 1u);
    // A lead byte without its continuation counts alone.
    EXPECT_EQ(cp.CharLength("\xE3\x41", 0), 1u);
}

TEST(Utf8CodePage, UpperCasesTheSameLettersByCodePoint) {
    Utf8CodePage cp;
    EXPECT_EQ(cp.ToUpper("abc.jpg"), "ABC.JPG");
    EXPECT_EQ(cp.ToUpper("ａｚ"), "ＡＺ");
    EXPECT_EQ(cp.ToUpper("αβω"), "ΑΒΩ");
    EXPECT_EQ(cp.ToUpper("ς"), "ς"); // no final sigma in the other code page either
    EXPECT_EQ(cp.ToUpper("абяё"), "АБЯЁ");
    EXPECT_EQ(cp.ToUpper("ソé\xFF"), "ソé\xFF");
    EXPECT_EQ(cp.CompareNoCase("Фото.JPG", "фото.jpg"), 0);
    EXPECT_LT(cp.Compare("A", "a"), 0);
}

TEST(PathText, Cp932BackslashNeverSplitsSoOrHyo) {
    Cp932CodePage cp;
    PathText path(cp, '\\');
    const std::string folder = "C:\\" + kSo + "\\" + kHyo;
    const std::string file = folder + "\\" + kHyo + ".jpg";
    ASSERT_TRUE(path.LastSeparator(file));
    EXPECT_EQ(*path.LastSeparator(file), folder.size());
    EXPECT_EQ(path.FileName(file), kHyo + ".jpg");
    EXPECT_EQ(path.Extension(file), std::optional<std::string_view>("jpg"));
    // A folder name ending in 表 is not taken for one with a trailing separator.
    EXPECT_FALSE(path.EndsWithSeparator(folder));
    EXPECT_EQ(path.WithoutTrailingSeparator(folder), folder);
    EXPECT_EQ(path.WithoutTrailingSeparator(folder + "\\"), folder);
    EXPECT_EQ(path.FileName("C:\\" + kSo), kSo);
    // A name ending in ソ has no extension even if a folder has a dot.
    EXPECT_EQ(path.Extension("C:\\a.b\\" + kSo), std::nullopt);
}

TEST(PathText, Utf8SlashFollowsTheSameRules) {
    Utf8CodePage cp;
    PathText path(cp, '/');
    EXPECT_EQ(path.FileName("/home/写真/表ソ.JPG"), "表ソ.JPG");
    EXPECT_EQ(path.Extension("/home/写真/表ソ.JPG"), std::optional<std::string_view>("JPG"));
    EXPECT_EQ(path.Extension("/pics.old/README"), std::nullopt);
    EXPECT_EQ(path.Extension("/pics/b."), std::optional<std::string_view>(""));
    EXPECT_EQ(path.Extension("/pics/archive.tar.gz"), std::optional<std::string_view>("gz"));
    EXPECT_EQ(path.LastSeparator("noseparator"), std::nullopt);
    EXPECT_EQ(path.FileName("noseparator"), "noseparator");
    EXPECT_EQ(path.WithoutTrailingSeparator("/"), "");
    EXPECT_EQ(path.Join("/", "a.jpg"), "/a.jpg");
    EXPECT_EQ(path.Join("/pics/", "a.jpg"), "/pics/a.jpg");
    EXPECT_EQ(path.Join("/pics", "a.jpg"), "/pics/a.jpg");
}

} // namespace
} // namespace pelldrake
