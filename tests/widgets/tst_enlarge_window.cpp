#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "thumbs/ui/enlarge_viewer.h"
#include "thumbs/ui/enlarge_window.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace pelldrake;
using pelldrake::testing::RecordingShell;
using pelldrake::testing::TempDir;

class EnlargeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void withoutStoredGeometryOpensAtTopLeftWith240By200() {
        TempDir dir;
        QWidget board;
        EnlargeWindow window(&board, SettingsFile(dir.FilePath("p.INI")));
        QVERIFY(!window.isVisible());
        QCOMPARE(window.frameGeometry().topLeft(), QPoint(0, 0));
        QCOMPARE(window.frameGeometry().size(), QSize(240, 200));
    }

    void storedGeometryIsRestoredAndSavedUnchanged() {
        TempDir dir;
        SettingsFile settings(dir.FilePath("p.INI"));
        settings.WriteExpandViewRect(QRect(QPoint(-300, 50), QSize(320, 280))); // off screen is kept
        QWidget board;
        {
            EnlargeWindow window(&board, settings);
            QCOMPARE(window.frameGeometry(), QRect(QPoint(-300, 50), QSize(320, 280)));
            window.SaveGeometry();
        }
        QCOMPARE(settings.ExpandViewRect(), QRect(QPoint(-300, 50), QSize(320, 280)));
    }

    void storedSizeBeyondTheScreensIsCutPositionKept() {
        TempDir dir;
        SettingsFile settings(dir.FilePath("p.INI"));
        settings.WriteExpandViewRect(QRect(QPoint(7000, 9), QSize(100000, 100000)));
        QWidget board;
        EnlargeWindow window(&board, settings);
        const QSize desktop = QGuiApplication::primaryScreen()->virtualSize();
        QCOMPARE(window.frameGeometry().topLeft(), QPoint(7000, 9));
        QVERIFY(window.frameGeometry().width() <= desktop.width());
        QVERIFY(window.frameGeometry().height() <= desktop.height());
    }

    void neverSmallerThan100By100() {
        TempDir dir;
        QWidget board;
        EnlargeWindow window(&board, SettingsFile(dir.FilePath("p.INI")));
        window.show();
        window.resize(40, 300);
        QCOMPARE(window.frameGeometry().width(), 100);
        QCOMPARE(window.height(), 300);
        window.resize(300, 10);
        QCOMPARE(window.frameGeometry().height(), 100);
        QCOMPARE(window.width(), 300);
    }

    void resizeRedrawsTheSameFileOnceSettled() {
        TempDir dir;
        QWidget board;
        EnlargeWindow window(&board, SettingsFile(dir.FilePath("p.INI")));
        window.show();
        window.SetFile("/no/such/file.jpg");
        window.resize(300, 300);
        QCOMPARE(window.settleCountdown(), EnlargeWindow::kSettleTicks);
        QCOMPARE(window.thumbnail()->size(), window.size());
        QSignalSpy shown(window.thumbnail(), &CThumbCtl::imageShown);
        QTRY_COMPARE_WITH_TIMEOUT(window.settleCountdown(), 0, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(shown.count() >= 1, 3000);
        QCOMPARE(window.currentPath(), FilePath("/no/such/file.jpg"));
    }

    void aNewFileCancelsThePendingRedraw() {
        TempDir dir;
        QWidget board;
        EnlargeWindow window(&board, SettingsFile(dir.FilePath("p.INI")));
        window.show();
        window.resize(260, 260);
        QVERIFY(window.settleCountdown() > 0);
        window.SetFile("/b.jpg");
        QCOMPARE(window.settleCountdown(), 0);
    }

    void escapeAndCloseDoNotHideIt() {
        TempDir dir;
        QWidget board;
        EnlargeWindow window(&board, SettingsFile(dir.FilePath("p.INI")));
        window.show();
        QTest::keyClick(&window, Qt::Key_Escape);
        QTest::keyClick(&window, Qt::Key_Return);
        window.close();
        QVERIFY(window.isVisible());
    }

    void detachingSavesTheGeometryAlsoWhenHidden() {
        TempDir dir;
        SettingsFile settings(dir.FilePath("p.INI"));
        RecordingShell shell;
        QWidget board;
        EnlargeViewer viewer(settings, shell);
        viewer.AttachBoard(&board, {});
        QVERIFY(viewer.window());
        viewer.window()->move(33, 44);
        viewer.DetachBoard();
        QVERIFY(!viewer.window());
        QCOMPARE(settings.ExpandViewRect().topLeft(), QPoint(33, 44));
    }
};

QTEST_MAIN(EnlargeWindowTest)
#include "tst_enlarge_window.moc"
