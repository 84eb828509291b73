#include "support/embedded_previews.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "thumbs/embedded_preview.h"

#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::TempDir;

// A 640 x 480 JPEG whose EXIF thumbnail is a 160 x 120 picture of another colour.
std::string JpegWithThumbnail(const TempDir& dir, const QString& name, int orientation) {
    const std::string path = testing::WriteImageFile(dir.Native(name), QSize(640, 480));
    const QByteArray thumbnail = testing::EncodeImage(testing::QuarterMarked(QSize(160, 120)), "jpeg");
    return testing::AddExifThumbnail(path, thumbnail, orientation) ? path : std::string();
}

TEST(EmbeddedPreview, ReadsTheThumbnailTurnedByTheOrientation) {
    TempDir dir;
    const QSize pane(200, 260);
    const struct {
        int orientation;
        QSize size;
        int redQuarter;
    } cases[] = {{1, {160, 120}, 0}, {6, {120, 160}, 1}, {8, {120, 160}, 2}, {3, {160, 120}, 3}};
    for (const auto& c : cases) {
        const std::string path = JpegWithThumbnail(dir, QStringLiteral("o%1.jpg").arg(c.orientation), c.orientation);
        ASSERT_FALSE(path.empty());
        const QImage preview = ReadEmbeddedPreview(path, pane, PreviewPick::SmallestCovering);
        EXPECT_EQ(preview.size(), c.size) << "orientation " << c.orientation; // never enlarged
        EXPECT_EQ(testing::RedQuarter(preview), c.redQuarter) << "orientation " << c.orientation;
    }
    // Fitted down to a smaller target, the shape kept.
    const std::string path = JpegWithThumbnail(dir, QStringLiteral("small.jpg"), 6);
    EXPECT_EQ(ReadEmbeddedPreview(path, QSize(60, 60), PreviewPick::SmallestCovering).size(), QSize(45, 60));
}

TEST(EmbeddedPreview, NothingFromFilesWithoutOne) {
    TempDir dir;
    const QSize pane(200, 260);
    EXPECT_TRUE(ReadEmbeddedPreview(testing::WriteImageFile(dir.Native(QStringLiteral("plain.jpg")), QSize(64, 48)),
                                    pane, PreviewPick::Largest)
                    .isNull());
    EXPECT_TRUE(ReadEmbeddedPreview(dir.Write(QStringLiteral("text.jpg"), "not an image"), pane, PreviewPick::Largest)
                    .isNull());
    EXPECT_TRUE(ReadEmbeddedPreview(dir.Native(QStringLiteral("missing.jpg")), pane, PreviewPick::Largest).isNull());
    EXPECT_TRUE(ReadEmbeddedPreview(dir.path().toStdString(), pane, PreviewPick::Largest).isNull());
}

TEST(EmbeddedPreview, RawLikeFileShowsItsPreview) {
    TempDir dir;
    const QByteArray preview = testing::EncodeImage(testing::QuarterMarked(QSize(600, 400)), "jpeg");
    const std::string path =
        dir.Write(QStringLiteral("camera.dng"), testing::RawLikeFile(QSize(6000, 4000), preview, 6));
    const QImage image = ReadEmbeddedPreview(path, QSize(300, 300), PreviewPick::Largest);
    EXPECT_EQ(image.size(), QSize(200, 300));
    EXPECT_EQ(testing::RedQuarter(image), 1);
}

// The boxes of a Canon CR3 that hold its 1620 x 1080 preview, as the camera writes them: the file
// type, then Canon's preview box (a UUID box holding a PRVW box: sizes, then the JPEG). The raw
// data's boxes are left out.
QByteArray Cr3Like(const QByteArray& previewJpeg, QSize size) {
    const auto big = [](quint64 value, int bytes) {
        QByteArray out;
        for (int i = bytes - 1; i >= 0; --i)
            out.append(static_cast<char>(value >> (8 * i)));
        return out;
    };
    const auto box = [&big](const char* type, const QByteArray& content) {
        return big(static_cast<quint32>(8 + content.size()), 4) + QByteArray(type, 4) + content;
    };
    const QByteArray prvw = box("PRVW", big(0, 4) + big(0, 2) + big(static_cast<quint32>(size.width()), 2) +
                                            big(static_cast<quint32>(size.height()), 2) + big(0, 2) +
                                            big(static_cast<quint32>(previewJpeg.size()), 4) + previewJpeg);
    const QByteArray canonPreview("\xea\xf4\x2b\x5e\x1c\x98\x4b\x88\xb9\xfb\xb7\xdc\x40\x6e\x4d\x16", 16);
    return box("ftyp", QByteArray("crx ") + big(1, 4) + "crx isom") + box("uuid", canonPreview + big(0, 8) + prvw);
}

TEST(EmbeddedPreview, CanonCr3ShowsItsPreview) {
    TempDir dir;
    const QByteArray preview = testing::EncodeImage(testing::QuarterMarked(QSize(1620, 1080)), "jpeg");
    const std::string path = dir.Write(QStringLiteral("IMG_0001.CR3"), Cr3Like(preview, QSize(1620, 1080)));
    const QImage image = ReadEmbeddedPreview(path, QSize(810, 810), PreviewPick::Largest);
    EXPECT_EQ(image.size(), QSize(810, 540));
    EXPECT_EQ(testing::RedQuarter(image), 0);
}

} // namespace
} // namespace pelldrake
