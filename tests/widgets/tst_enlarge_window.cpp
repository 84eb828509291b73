#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "thumbs/ui/enlarge_viewer.h"
#include "thumbs/ui/enlarge_window.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

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
        QWidget board;
        // Off screen, and smaller than a drag may make it: both kept.
        for (const QRect stored : {QRect(QPoint(-300, 50), QSize(320, 280)), QRect(QPoint(10, 20), QSize(80, 60))}) {
            settings.WriteExpandViewRect(stored);
            {
                EnlargeWindow window(&board, settings);
                QCOMPARE(window.frameGeometry(), stored);
                window.SaveGeometry();
            }
            QCOMPARE(settings.ExpandViewRect(), stored);
        }
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

        // A position no window system holds is brought into the range of 16-bit coordinates, so
        // that no arithmetic on the frame overflows.
        settings.profile().WriteText("EXPANDVIEW", "LEFT", "-2147483648");
        settings.profile().WriteText("EXPANDVIEW", "TOP", "2147483647");
        EnlargeWindow far(&board, settings);
        QCOMPARE(far.frameGeometry().topLeft(), QPoint(-32768, 32767));
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

    void settledRedrawComesOnTheEleventhTick() {
        TempDir dir;
        QWidget board;
        EnlargeWindow window(&board, SettingsFile(dir.FilePath("p.INI")));
        window.show();
        window.resize(300, 300);
        auto* settle = window.findChild<QTimer*>();
        settle->stop(); // ticked by hand below; the empty file is drawn again at once
        QSignalSpy shown(window.thumbnail(), &CThumbCtl::imageShown);
        for (int tick = 1; tick <= 10; ++tick)
            QMetaObject::invokeMethod(settle, "timeout");
        QCOMPARE(shown.count(), 0);
        QMetaObject::invokeMethod(settle, "timeout");
        QCOMPARE(shown.count(), 1);
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
        viewer.ShowList(3, FilePath("/x.jpg"));
        viewer.window()->move(33, 44);
        viewer.window()->close(); // a window manager's close box hides it through the viewer
        QCOMPARE(viewer.ShownList(), EnlargeViewer::kNoList);
        QVERIFY(!viewer.window()->isVisible());
        viewer.DetachBoard();
        QVERIFY(!viewer.window());
        QCOMPARE(settings.ExpandViewRect().topLeft(), QPoint(33, 44));
    }
};

QTEST_MAIN(EnlargeWindowTest)
#include "tst_enlarge_window.moc"
