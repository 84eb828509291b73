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

} // namespace
} // namespace pelldrake
