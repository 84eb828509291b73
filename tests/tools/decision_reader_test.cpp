#include "support/temp_dir.h"
#include "support/test_images.h"
#include "tools/decision_cache.h"
#include "tools/decision_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pelldrake {
namespace {

using testing::TempDir;

// A JPEG with an EXIF block holding only the rating tag, as a camera writes it.
QByteArray JpegRated(int rating) {
    const QByteArray jpeg = testing::EncodeImage(testing::PhotoLikeImage(QSize(32, 24)), "jpeg");
    // clang-format off
    const char exif[] = {
        '\xff', '\xe1', 0, 34,
        'E', 'x', 'i', 'f', 0, 0,
        'M', 'M', 0, 42, 0, 0, 0, 8,
        0, 1,
        0x47, 0x46, 0, 3, 0, 0, 0, 1,              // Rating, SHORT, one value
        0, static_cast<char>(rating), 0, 0,
        0, 0, 0, 0,
    };
    // clang-format on
    return jpeg.left(2) + QByteArray(exif, sizeof exif) + jpeg.mid(2);
}

TEST(DecisionReader, ReadsRatingsAndLabelsAsEditorsSpellThem) {
    EXPECT_EQ(RatingFromText("-1"), Decision::kRejected);
    EXPECT_EQ(RatingFromText("-1.0"), Decision::kRejected);
    EXPECT_EQ(RatingFromText(" 3 "), 3);
    EXPECT_EQ(RatingFromText("4.0"), 4);
    EXPECT_EQ(RatingFromText("0"), Decision::kUnrated);
    EXPECT_EQ(RatingFromText("7"), Decision::kUnrated);
    EXPECT_EQ(RatingFromText("three"), Decision::kUnrated);
    EXPECT_EQ(RatingFromText(""), Decision::kUnrated);
    EXPECT_EQ(LabelFromText("Purple"), ColourLabel::Purple);
    EXPECT_EQ(LabelFromText("YELLOW"), ColourLabel::Yellow);
    EXPECT_EQ(LabelFromText("green"), ColourLabel::Green);
    EXPECT_EQ(LabelFromText("Orange"), ColourLabel::None);
    EXPECT_EQ(LabelFromText("Blue2"), ColourLabel::None);
}

// What cannot be read as a decision passes to the next source, without hanging or reading
// without end: a sidecar that is a folder, a pipe, or too large; a picture cut short.
TEST(DecisionReader, UnreadableSourcesDecideNothing) {
    const TempDir dir;
    const FilePath folder = dir.Write("folder.jpg", JpegRated(2));
    std::filesystem::create_directory(folder + ".xmp");
    EXPECT_EQ(ReadDecision(folder).rating, 2);

    const FilePath piped = dir.Write("piped.jpg", JpegRated(4));
    ASSERT_EQ(::mkfifo((piped + ".xmp").c_str(), 0600), 0);
    EXPECT_EQ(ReadDecision(piped).rating, 4);

    const FilePath huge = dir.Write("huge.jpg", JpegRated(5));
    QFile(dir.FilePath("huge.xmp")).resize(qint64{20} << 20);
    EXPECT_EQ(ReadDecision(huge).rating, 5);

    // The EXIF segment claims more bytes than the file has.
    const FilePath cut = dir.Write("cut.jpg", JpegRated(3).left(30));
    EXPECT_EQ(ReadDecision(cut), Decision{});
    EXPECT_EQ(ReadDecision(dir.Native("missing.jpg")), Decision{});
}

TEST(DecisionReader, CacheReadsAFileAgainOnlyWhenItOrASidecarChanged) {
    const TempDir dir;
    const FilePath path = dir.Write("p.jpg", JpegRated(1));
    DecisionCache cache;
    const auto get = [&] { return cache.Get(path, *StatPath(path)).rating; };
    EXPECT_EQ(get(), 1);
    // Rewritten in place with the same size and time, the picture counts as unchanged.
    const QByteArray same = JpegRated(2);
    struct stat before {};
    ::stat(path.c_str(), &before);
    dir.Write("p.jpg", same);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    EXPECT_EQ(get(), 1);
    dir.Write("p.xmp", "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                       "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
                       "rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:Rating=\"-1\"/>"
                       "</rdf:RDF></x:xmpmeta>");
    EXPECT_EQ(get(), Decision::kRejected);
    std::filesystem::remove(path.substr(0, path.size() - 4) + ".xmp");
    EXPECT_EQ(get(), 2);
    EXPECT_EQ(cache.size(), 1u);
}

// Tools of other systems may name the sidecar ".XMP".
TEST(DecisionReader, ASidecarEndingInCapitalsCounts) {
    const TempDir dir;
    const FilePath path = dir.Write("q.jpg", JpegRated(1));
    dir.Write("q.XMP", "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                       "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
                       "rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:Rating=\"4\"/>"
                       "</rdf:RDF></x:xmpmeta>");
    EXPECT_EQ(ReadDecision(path).rating, 4);
}

} // namespace
} // namespace pelldrake
