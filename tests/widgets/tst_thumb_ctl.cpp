#include "support/temp_dir.h"
#include "support/test_images.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>
#include <memory>
#include <string>

using namespace pelldrake;
using pelldrake::testing::TempDir;

namespace {

// A frame of one pixel around a 200 x 260 picture area.
const QSize kOuter(202, 262);
const QRect kArea(1, 1, 200, 260);

// The smallest rectangle of the area holding every pixel that is not the background.
QRect DrawnRect(CThumbCtl& ctl) {
    const QImage shot = ctl.grab().toImage();
    const QRgb background = ctl.palette().color(QPalette::Base).rgb();
    const QRect area = ctl.contentsRect();
    QRect drawn;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (shot.pixel(x, y) != background)
                drawn |= QRect(x, y, 1, 1);
    return drawn;
}

struct Fixture {
    ImageLoader loader;
    CThumbCtl ctl{nullptr, &loader};
    QSignalSpy shown{&ctl, &CThumbCtl::imageShown};

    Fixture() {
        ctl.resize(kOuter);
        ctl.show();
    }
};

} // namespace

class TestThumbCtl : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    // What is drawn
    void imageIsFittedAndCentred_data();
    void imageIsFittedAndCentred();
    void emptyPathShowsBlank();
    void unreadableFileShowsPlaceholder_data();
    void unreadableFileShowsPlaceholder();
    void nameThatIsNotUtf8IsShown();

    // Loading
    void cachedFileIsShownAtOnce();
    void readAheadMakesNextFileImmediate();
    void laterFileWinsOverSlowerEarlierOne();
    void emptyPathDropsFileStillLoading();
    void newFileNeverShowsPreviousPicture();
    void destroyedWhileLoadingIsHarmless();

    // Resizing
    void resizeStretchesCurrentImageUntilShownAgain();

private:
    TempDir dir_;
    std::string landscape_;
    std::string portrait_;
    std::string large_;
};

void TestThumbCtl::initTestCase() {
    landscape_ = testing::WriteImageFile(dir_.Native("landscape.jpg"), QSize(800, 400), "jpeg", 1);
    portrait_ = testing::WriteImageFile(dir_.Native("portrait.jpg"), QSize(300, 400), "jpeg", 2);
    large_ = testing::WriteImageFile(dir_.Native("large.jpg"), QSize(4000, 3000), "jpeg", 3);
    QVERIFY(!landscape_.empty() && !portrait_.empty() && !large_.empty());
}

void TestThumbCtl::imageIsFittedAndCentred_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("landscape: bands above and below") << "landscape.jpg" << QRect(1, 81, 200, 100);
    QTest::newRow("portrait: bands left and right") << "portrait.jpg" << QRect(3, 1, 195, 260);
}

void TestThumbCtl::imageIsFittedAndCentred() {
    QFETCH(QString, name);
    QFETCH(QRect, expected);
    Fixture f;
    QCOMPARE(f.ctl.contentsRect(), kArea);
    f.ctl.ShowFile(dir_.Native(name));
    QTRY_COMPARE(f.shown.count(), 1);
    QCOMPARE(f.ctl.showing(), CThumbCtl::Showing::Image);
    QCOMPARE(f.ctl.image().size(), expected.size());
    QCOMPARE(DrawnRect(f.ctl), expected);
    QCOMPARE(f.ctl.currentFile(), dir_.Native(name));
}

void TestThumbCtl::emptyPathShowsBlank() {
    Fixture f;
    f.ctl.ShowFile(landscape_);
    QTRY_COMPARE(f.shown.count(), 1);
    f.ctl.ShowFile(std::string());
    QCOMPARE(f.shown.count(), 2);
    QCOMPARE(f.ctl.showing(), CThumbCtl::Showing::Nothing);
    QVERIFY(f.ctl.currentFile().empty());
    QVERIFY(DrawnRect(f.ctl).isEmpty());
}

void TestThumbCtl::unreadableFileShowsPlaceholder_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("text named .jpg") << "text";
    QTest::newRow("folder") << "folder";
}

void TestThumbCtl::unreadableFileShowsPlaceholder() {
    QFETCH(QString, kind);
    TempDir dir;
    if (kind == "text")
        dir.Write("thing.jpg", "Shopping list: bread, milk.\n");
    else if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir("thing.jpg"));
    Fixture f;
    f.ctl.ShowFile(dir.Native("thing.jpg"));
    QTRY_COMPARE(f.shown.count(), 1);
    QCOMPARE(f.ctl.showing(), CThumbCtl::Showing::Placeholder);

    // Something small and quiet in the middle, not a blank and not a filled area.
    const QRect drawn = DrawnRect(f.ctl);
    QVERIFY(!drawn.isEmpty());
    QVERIFY(drawn.width() <= 48 && drawn.height() <= 48);
    QVERIFY(qAbs(drawn.center().x() - kArea.center().x()) <= 1);
    QVERIFY(qAbs(drawn.center().y() - kArea.center().y()) <= 1);
}

void TestThumbCtl::nameThatIsNotUtf8IsShown() {
    TempDir dir;
    const std::string path = QFile::encodeName(dir.path()).toStdString() + "/\xff\xfe.jpg";
    const testing::RemoveAtEnd removal{path};
    QVERIFY(!testing::WriteImageFile(path, QSize(800, 400)).empty());
    Fixture f;
    f.ctl.ShowFile(path);
    QTRY_COMPARE(f.shown.count(), 1);
    QCOMPARE(f.ctl.showing(), CThumbCtl::Showing::Image);
    QCOMPARE(f.ctl.currentFile(), path);
}

void TestThumbCtl::cachedFileIsShownAtOnce() {
    Fixture f;
    f.ctl.ShowFile(landscape_);
    QTRY_COMPARE(f.shown.count(), 1);
    f.ctl.ShowFile(portrait_);
    QTRY_COMPARE(f.shown.count(), 2);

    f.ctl.ShowFile(landscape_);
    QCOMPARE(f.shown.count(), 3); // no event loop in between
    QCOMPARE(f.ctl.showing(), CThumbCtl::Showing::Image);
    QCOMPARE(f.ctl.image().size(), QSize(200, 100));
}

void TestThumbCtl::readAheadMakesNextFileImmediate() {
    Fixture f;
    f.ctl.ReadAhead({landscape_, portrait_});
    QTRY_VERIFY(f.loader.isCached(landscape_, f.ctl.decodeSize()) && f.loader.isCached(portrait_, f.ctl.decodeSize()));
    QCOMPARE(f.shown.count(), 0);

    f.ctl.ShowFile(portrait_);
    QCOMPARE(f.shown.count(), 1);
    QCOMPARE(f.ctl.image().size(), QSize(195, 260));
}

void TestThumbCtl::laterFileWinsOverSlowerEarlierOne() {
    Fixture f;
    // Both decode side by side; the large one ends last and must not replace the later choice.
    f.ctl.ShowFile(large_);
    f.ctl.ShowFile(portrait_);
    QTRY_COMPARE(f.loader.pendingCount(), 0);
    QCOMPARE(f.shown.count(), 1);
    QCOMPARE(f.ctl.currentFile(), portrait_);
    QCOMPARE(f.ctl.image().size(), QSize(195, 260));
}

void TestThumbCtl::emptyPathDropsFileStillLoading() {
    Fixture f;
    f.ctl.ShowFile(large_);
    f.ctl.ShowFile(std::string());
    QTRY_COMPARE(f.loader.pendingCount(), 0);
    QCOMPARE(f.shown.count(), 1);
    QCOMPARE(f.ctl.showing(), CThumbCtl::Showing::Nothing);
    QVERIFY(DrawnRect(f.ctl).isEmpty());
}

void TestThumbCtl::newFileNeverShowsPreviousPicture() {
    Fixture f;
    f.ctl.ShowFile(landscape_);
    QTRY_COMPARE(f.shown.count(), 1);
    f.ctl.ShowFile(large_);
    QCOMPARE(f.ctl.showing(), CThumbCtl::Showing::Pending);
    QVERIFY(DrawnRect(f.ctl).isEmpty());
    QTRY_COMPARE(f.shown.count(), 2);
    QCOMPARE(f.ctl.image().size(), QSize(200, 150));
}

void TestThumbCtl::destroyedWhileLoadingIsHarmless() {
    ImageLoader loader;
    auto ctl = std::make_unique<CThumbCtl>(nullptr, &loader);
    ctl->resize(kOuter);
    ctl->ShowFile(large_);
    ctl->ReadAhead({landscape_, portrait_});
    ctl.reset();
    QTRY_COMPARE(loader.pendingCount(), 0);
}

void TestThumbCtl::resizeStretchesCurrentImageUntilShownAgain() {
    Fixture f;
    f.ctl.ShowFile(landscape_);
    QTRY_COMPARE(f.shown.count(), 1);

    f.ctl.resize(402, 262);
    QCOMPARE(f.ctl.image().size(), QSize(200, 100)); // nothing decoded yet
    QCOMPARE(DrawnRect(f.ctl), QRect(1, 31, 400, 200));

    f.ctl.ShowFile(landscape_);
    QCOMPARE(f.ctl.showing(), CThumbCtl::Showing::Image); // the same file stays on screen meanwhile
    QTRY_COMPARE(f.shown.count(), 2);
    QCOMPARE(f.ctl.image().size(), QSize(400, 200));
    QCOMPARE(DrawnRect(f.ctl), QRect(1, 31, 400, 200));
}

QTEST_MAIN(TestThumbCtl)
#include "tst_thumb_ctl.moc"
