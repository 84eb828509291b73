#include "board/ui/board_menu_bar.h"
#include "board/ui/classify_board_dialog.h"
#include "resources/menu_table.h"
#include "support/board_fixture.h"
#include "support/test_images.h"
#include "thumbs/shooting_lines.h"
#include "thumbs/ui/enlarge_view.h"
#include "thumbs/ui/enlarge_window.h"

#include <QAction>
#include <QPainter>
#include <QTest>
#include <exiv2/exiv2.hpp>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;

namespace {

// A JPEG carrying these EXIF tags, as a camera writes them.
std::string JpegWithExif(const std::string& path, const std::vector<std::pair<const char*, const char*>>& tags) {
    if (pelldrake::testing::WriteImageFile(path, QSize(640, 480)).empty())
        return {};
    try {
        auto image = Exiv2::ImageFactory::open(path, false);
        image->readMetadata();
        Exiv2::ExifData exif;
        for (const auto& [key, value] : tags)
            exif[key] = std::string(value);
        image->setExifData(exif);
        image->writeMetadata();
        return path;
    } catch (...) {
        return {};
    }
}

} // namespace

// The shooting data and the histogram over the enlarge window's picture, switched by the board's keys.
class OverlaysTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;
    std::unique_ptr<ClassifyBoardDialog>& board = fixture.board;

    void Key(int key) { fixture.Key(key); }
    QAction* Menu(int id) { return fixture.Menu(id); }
    EnlargeView* View() { return board->viewer().window()->view(); }
    std::string Stored(const char* key) { return fixture.Settings().profile().ReadText("EXPANDVIEW", key, "none"); }
    void Open(const FilePathList& paths) {
        pelldrake::testing::Fill(*board, kUnclassified, paths);
        Key(Qt::Key_Space);
        QTRY_COMPARE(View()->showing(), CThumbCtl::Showing::Image);
    }

private slots:
    void init() {
        fixture.Reset();
        board->show();
        QVERIFY(QTest::qWaitForWindowActive(board.get()));
    }
    void cleanup() { board.reset(); }

    void iAndHToggleTheCheckMarksAndTheSettings() {
        QVERIFY(!Menu(menu_ids::kShootingInfo)->isChecked());
        QVERIFY(!Menu(menu_ids::kHistogram)->isChecked());
        QCOMPARE(Stored("INFO"), "none");

        Key(Qt::Key_I);
        QVERIFY(Menu(menu_ids::kShootingInfo)->isChecked());
        QVERIFY(!Menu(menu_ids::kHistogram)->isChecked());
        QCOMPARE(Stored("INFO"), "1");
        Key(Qt::Key_H);
        QVERIFY(Menu(menu_ids::kHistogram)->isChecked());
        QCOMPARE(Stored("HISTOGRAM"), "1");
        QVERIFY(View()->overlays().shootingInfo && View()->overlays().histogram);
        Menu(menu_ids::kShootingInfo)->trigger();
        QVERIFY(!Menu(menu_ids::kShootingInfo)->isChecked());
        QVERIFY(!View()->overlays().shootingInfo);
        QCOMPARE(Stored("INFO"), "0");

        // Read at the next start; a hand edit that is no number reads as off.
        fixture.Settings().profile().WriteText("EXPANDVIEW", "INFO", "yes");
        board = fixture.MakeBoard(LayoutMode::Small);
        QVERIFY(!Menu(menu_ids::kShootingInfo)->isChecked());
        QVERIFY(Menu(menu_ids::kHistogram)->isChecked());
        QVERIFY(View()->overlays().histogram && !View()->overlays().shootingInfo);
    }

    void theInfoLineShowsTheFieldsTheFileHasInOrder() {
        const FilePathList paths{
            JpegWithExif(fixture.dir->Native("IMG_0412.jpg"), {{"Exif.Image.Model", "Canon EOS R6"},
                                                               {"Exif.Photo.LensModel", "RF24-105mm F4 L IS USM"},
                                                               {"Exif.Photo.FocalLength", "105/1"},
                                                               {"Exif.Photo.ExposureTime", "1/500"},
                                                               {"Exif.Photo.FNumber", "4/1"},
                                                               {"Exif.Photo.ISOSpeedRatings", "800"},
                                                               {"Exif.Photo.DateTimeOriginal", "2026:05:03 14:22:31"}}),
            JpegWithExif(fixture.dir->Native("IMG_0413.jpg"),
                         {{"Exif.Image.Model", "Canon EOS R6"}, {"Exif.Photo.ExposureTime", "1/60"}}),
            // A JPEG cut off in its EXIF block.
            fixture.dir->Write("cut.jpg", QByteArray::fromHex("ffd8ffe1ffff457869660000") + QByteArray(40, 'x'))};
        QVERIFY(!paths[0].empty() && !paths[1].empty());
        Open(paths);
        const QImage without = View()->grab().toImage();
        Key(Qt::Key_I);
        QTRY_COMPARE(View()->shootingLine(),
                     QStringLiteral("IMG_0412.jpg  Canon EOS R6  RF24-105mm F4 L IS USM  105mm  "
                                    "1/500 s  F4  ISO 800  2026/05/03 14:22:31"));
        // On a dark band over the bottom of the picture.
        const QImage with = View()->grab().toImage();
        const QRectF picture = View()->ShownRect();
        const QPoint low = QPointF(picture.left() + 3, picture.bottom() - 3).toPoint();
        QVERIFY(qGray(with.pixel(low)) < qGray(without.pixel(low)) - 30);
        const QPoint high = QPointF(picture.left() + 3, picture.bottom() - 40).toPoint();
        QCOMPARE(with.pixel(high), without.pixel(high));

        Key(Qt::Key_Return);
        QTRY_COMPARE(View()->shootingLine(), QStringLiteral("IMG_0413.jpg  Canon EOS R6  1/60 s"));
        // Written over while shown: its line is read again.
        JpegWithExif(paths[1], {{"Exif.Image.Model", "Canon EOS R5"}, {"Exif.Photo.ExposureTime", "1/80"}});
        QTRY_COMPARE(View()->shootingLine(), QStringLiteral("IMG_0413.jpg  Canon EOS R5  1/80 s"));
        Key(Qt::Key_Return);
        QCOMPARE(View()->currentFile(), paths[2]);
        QTRY_VERIFY(!ShootingLines::Shared()->busy());
        QCOMPARE(View()->shootingLine(), QStringLiteral("cut.jpg"));
    }

    void theHistogramOfAHalfWhitePictureAndItsClippedPixelsUnderShift() {
        QImage half(400, 200, QImage::Format_RGB32);
        half.fill(QColor(128, 128, 128));
        QPainter(&half).fillRect(0, 0, 200, 200, Qt::white);
        Open({fixture.dir->Write("half.png", pelldrake::testing::EncodeImage(half, "png"))});
        Key(Qt::Key_H);
        // Scaled to the window, the column between the halves may blend.
        QVERIFY2(std::abs(View()->histogram().HighlightPercent() - 50) < 1,
                 qPrintable(QString::number(View()->histogram().HighlightPercent())));
        QCOMPARE(View()->histogram().ShadowPercent(), 0.0);
        QVERIFY(View()->histogram().ClippingText().startsWith(QStringLiteral("白飛び 5")));
        QVERIFY(View()->histogram().ClippingText().endsWith(QStringLiteral("  黒つぶれ 0.0 %")));

        // Shift held on the board, the pointer over the window: the white half turns red.
        const QRectF picture = View()->ShownRect();
        const QPoint white = QPointF(picture.left() + picture.width() / 4, picture.bottom() - 10).toPoint();
        const QPoint grey = QPointF(picture.right() - picture.width() / 4, picture.bottom() - 10).toPoint();
        QTest::mouseMove(View(), white);
        QTRY_VERIFY(View()->underMouse());
        QVERIFY(!View()->tintsClipping());
        QTest::keyPress(board.get(), Qt::Key_Shift);
        QVERIFY(View()->tintsClipping());
        const QImage tinted = View()->grab().toImage();
        QVERIFY(qRed(tinted.pixel(white)) > 200 && qGreen(tinted.pixel(white)) < 120);
        QCOMPARE(qGray(tinted.pixel(grey)), 128);
        QTest::keyRelease(board.get(), Qt::Key_Shift);
        QVERIFY(!View()->tintsClipping());
        QCOMPARE(View()->grab().toImage().pixel(white), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(OverlaysTest)
#include "tst_overlays.moc"
