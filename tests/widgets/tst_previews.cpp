#include "support/embedded_previews.h"
#include "support/library_images.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QtTest>
#include <string>

using namespace pelldrake;
using pelldrake::testing::TempDir;

namespace {

const QSize kPane(200, 260);

// What a control showed, in order: "preview" or "picture", each with where its red quarter lay.
struct Shown {
    QStringList events;
    explicit Shown(CThumbCtl& ctl) {
        QObject::connect(&ctl, &CThumbCtl::previewShown, &ctl, [this, &ctl] { Note("preview", ctl); });
        QObject::connect(&ctl, &CThumbCtl::imageShown, &ctl, [this, &ctl] { Note("picture", ctl); });
    }
    void Note(const char* what, CThumbCtl& ctl) {
        events << QStringLiteral("%1 %2").arg(what).arg(testing::RedQuarter(ctl.image()));
    }
};

// A library-decoded file in a pane whose loader has room for its embedded preview but not for
// its picture: the preview is ready first, then both show in turn, each with its red quarter at
// redQuarter.
void ExpectPreviewThenPicture(const std::string& path, QSize preview, QSize picture, int redQuarter) {
    ImageLoader loader(/*cacheBudgetBytes=*/100'000);
    CThumbCtl ctl(nullptr, &loader);
    ctl.resize(kPane + QSize(2, 2));
    ctl.ReadAhead({path});
    QTRY_VERIFY(loader.CachedPreview(path, ctl.decodeSize()).has_value() && loader.pendingCount() == 0);
    QCOMPARE(loader.CachedPreview(path, ctl.decodeSize())->size(), preview);

    Shown shown(ctl);
    ctl.ShowFile(path);
    QCOMPARE(ctl.showing(), CThumbCtl::Showing::Preview);
    QTRY_COMPARE_WITH_TIMEOUT(shown.events.size(), 2, 20000);
    QCOMPARE(shown.events,
             QStringList({QStringLiteral("preview %1").arg(redQuarter), QStringLiteral("picture %1").arg(redQuarter)}));
    QCOMPARE(ctl.image().size(), picture);
}

} // namespace

class TestPreviews : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void thumbnailFirstThenPicture_bothTurned();
    void fileWithoutPreviewShowsOnlyItsPicture();
    void fileWithoutPreviewIsDecodedWhileAKeyIsHeld();
    void rawLikeFileIsShownFromItsPreview();
    void previewOfAFileLeftBehindIsNotShown();
    void refusedPictureIsShownByItsPreview();
    void webpAndTiffDecode();
    void heicThumbnailFirstThenPicture();
    void jxlFromCameraJpegShowsItsExifThumbnailFirst();

private:
    // A camera-like JPEG: marked picture of 3000 x 2000 and a marked EXIF thumbnail.
    std::string CameraJpeg(const QString& name, int orientation) {
        const std::string path =
            dir_.Write(name, testing::EncodeImage(testing::QuarterMarked(QSize(3000, 2000)), "jpeg"));
        const QByteArray thumbnail = testing::EncodeImage(testing::QuarterMarked(QSize(160, 120)), "jpeg");
        return testing::AddExifThumbnail(path, thumbnail, orientation) ? path : std::string();
    }

    TempDir dir_;
};

void TestPreviews::initTestCase() {
    QVERIFY(dir_.path().size() > 0);
}

void TestPreviews::thumbnailFirstThenPicture_bothTurned() {
    // Upright the red quarter is top left; a quarter turn clockwise puts it top right, three
    // quarters bottom left.
    const struct {
        int orientation;
        int quarter;
    } cases[] = {{1, 0}, {6, 1}, {8, 2}};
    for (const auto& c : cases) {
        const std::string path = CameraJpeg(QStringLiteral("camera%1.jpg").arg(c.orientation), c.orientation);
        QVERIFY(!path.empty());
        // Room for the 160 x 120 preview but not for the picture, so that reading ahead leaves
        // only the preview ready and the order cannot depend on which thread is quicker.
        ImageLoader loader(/*cacheBudgetBytes=*/100'000);
        CThumbCtl ctl(nullptr, &loader);
        ctl.resize(kPane + QSize(2, 2));
        ctl.ReadAhead({path});
        QTRY_VERIFY(loader.CachedPreview(path, ctl.decodeSize()).has_value() && loader.pendingCount() == 0);

        Shown shown(ctl);
        ctl.ShowFile(path);
        QCOMPARE(ctl.showing(), CThumbCtl::Showing::Preview); // at once, before any decode
        QTRY_COMPARE_WITH_TIMEOUT(shown.events.size(), 2, 20000);
        QCOMPARE(shown.events, QStringList({QStringLiteral("preview %1").arg(c.quarter),
                                            QStringLiteral("picture %1").arg(c.quarter)}));
        QCOMPARE(ctl.showing(), CThumbCtl::Showing::Image);
        QCOMPARE(ctl.image().size(), c.orientation == 1 ? QSize(200, 133) : QSize(173, 260));
    }
}

void TestPreviews::fileWithoutPreviewShowsOnlyItsPicture() {
    const std::string path = testing::WriteImageFile(dir_.Native(QStringLiteral("plain.jpg")), QSize(1600, 1200));
    ImageLoader loader;
    CThumbCtl ctl(nullptr, &loader);
    ctl.resize(kPane + QSize(2, 2));
    Shown shown(ctl);
    ctl.ShowFile(path);
    QTRY_COMPARE(loader.pendingCount(), 0);
    QCOMPARE(shown.events.size(), 1);
    QVERIFY(shown.events[0].startsWith(QStringLiteral("picture")));
    QCOMPARE(ctl.image().size(), QSize(200, 150));
}

void TestPreviews::fileWithoutPreviewIsDecodedWhileAKeyIsHeld() {
    // Nothing else could stand in for its picture.
    const std::string path = testing::WriteImageFile(dir_.Native(QStringLiteral("held.jpg")), QSize(1600, 1200));
    ImageLoader loader;
    CThumbCtl ctl(nullptr, &loader);
    ctl.resize(kPane + QSize(2, 2));
    ctl.HoldBackDecodes(true);
    ctl.ShowFile(path);
    QTRY_COMPARE(ctl.showing(), CThumbCtl::Showing::Image);
    QCOMPARE(ctl.image().size(), QSize(200, 150));
}

void TestPreviews::rawLikeFileIsShownFromItsPreview() {
    const QByteArray preview = testing::EncodeImage(testing::QuarterMarked(QSize(600, 400)), "jpeg");
    const std::string path =
        dir_.Write(QStringLiteral("camera.nef"), testing::RawLikeFile(QSize(6000, 4000), preview, 6));
    QVERIFY(ImageLoader::Decode(path, kPane).size() == QSize(173, 260));
    ImageLoader loader;
    CThumbCtl ctl(nullptr, &loader);
    ctl.resize(kPane + QSize(2, 2));
    Shown shown(ctl);
    ctl.ShowFile(path);
    QTRY_COMPARE(loader.pendingCount(), 0);
    QVERIFY(!shown.events.isEmpty());
    QCOMPARE(shown.events.last(), QStringLiteral("picture 1"));
    QCOMPARE(ctl.showing(), CThumbCtl::Showing::Image);
}

void TestPreviews::previewOfAFileLeftBehindIsNotShown() {
    const std::string camera = CameraJpeg(QStringLiteral("left.jpg"), 1);
    const std::string plain = testing::WriteImageFile(dir_.Native(QStringLiteral("next.jpg")), QSize(1600, 1200));
    ImageLoader loader;
    CThumbCtl ctl(nullptr, &loader);
    ctl.resize(kPane + QSize(2, 2));
    Shown shown(ctl);
    ctl.ShowFile(camera); // its preview read starts at once
    ctl.ShowFile(plain);
    QTRY_COMPARE(loader.pendingCount(), 0);
    QCOMPARE(shown.events.size(), 1);
    QVERIFY(shown.events[0].startsWith(QStringLiteral("picture")));
    QCOMPARE(ctl.currentFile(), plain);
    QCOMPARE(ctl.image().size(), QSize(200, 150));
}

void TestPreviews::refusedPictureIsShownByItsPreview() {
    const std::string bomb =
        dir_.Write(QStringLiteral("bomb.jpg"), testing::JpegClaiming(QSize(30000, 30000), /*progressive=*/true));
    QVERIFY(testing::AddExifThumbnail(bomb, testing::EncodeImage(testing::QuarterMarked(QSize(160, 120)), "jpeg")));
    ImageLoader loader;
    CThumbCtl ctl(nullptr, &loader);
    ctl.resize(kPane + QSize(2, 2));
    Shown shown(ctl);
    ctl.ShowFile(bomb);
    QTRY_COMPARE(loader.pendingCount(), 0);
    // The refusal comes from the header at once; the file's preview is its picture.
    QCOMPARE(shown.events.last(), QStringLiteral("picture 0"));
    QCOMPARE(ctl.showing(), CThumbCtl::Showing::Image);
    QCOMPARE(ctl.image().size(), QSize(160, 120));
    QVERIFY(ctl.placeholderReason().contains(QStringLiteral("30000")));
}

void TestPreviews::webpAndTiffDecode() {
    for (const char* format : {"webp", "tiff"}) {
        const std::string path =
            testing::WriteImageFile(dir_.Native(QStringLiteral("picture.") + format), QSize(400, 300), format);
        QVERIFY2(!path.empty(), format);
        QCOMPARE(ImageLoader::Decode(path, kPane).size(), QSize(200, 150));
    }
}

void TestPreviews::heicThumbnailFirstThenPicture() {
    // heif-enc makes the thumbnail from the picture itself: the two differ in their sizes.
    const std::string png =
        dir_.Write(QStringLiteral("phone.png"), testing::EncodeImage(testing::QuarterMarked(QSize(1200, 800)), "png"));
    const std::string path = testing::HeicFrom(png, dir_.Native(QStringLiteral("phone.heic")),
                                               {QStringLiteral("-t"), QStringLiteral("100")});
    QVERIFY(!path.empty());
    ExpectPreviewThenPicture(path, QSize(100, 66), QSize(200, 133), 0);
}

void TestPreviews::jxlFromCameraJpegShowsItsExifThumbnailFirst() {
    // cjxl keeps the JPEG's EXIF, thumbnail and all, Brotli-compressed before the codestream.
    const std::string jpeg = CameraJpeg(QStringLiteral("camera6.jpg"), 6);
    QVERIFY(!jpeg.empty());
    const std::string compressed = testing::JxlFrom(jpeg, dir_.Native(QStringLiteral("camera.jxl")));
    QVERIFY(!compressed.empty());
    const QByteArray tiff = testing::ExifTiffOf(jpeg);
    QVERIFY(!tiff.isEmpty());
    const std::string atEnd = dir_.Write(QStringLiteral("exif-at-end.jxl"),
                                         testing::JxlWithExifAtEnd(dir_.Read(QStringLiteral("camera.jxl")), tiff));
    // The 160 x 120 thumbnail turned as the codestream turns the picture.
    for (const std::string& path : {compressed, atEnd})
        ExpectPreviewThenPicture(path, QSize(120, 160), QSize(173, 260), 1);
}

QTEST_MAIN(TestPreviews)
#include "tst_previews.moc"
