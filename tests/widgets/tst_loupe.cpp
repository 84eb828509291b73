#include "board/board_history.h"
#include "board/ui/board_menu_bar.h"
#include "board/ui/classify_board_dialog.h"
#include "resources/menu_table.h"
#include "support/board_fixture.h"
#include "support/test_images.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/enlarge_view.h"
#include "thumbs/ui/enlarge_window.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QWheelEvent>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;
using pelldrake::testing::Near;

// The enlarge window at 100 %, driven by the board's keys and by the mouse, as a user checks focus.
class LoupeTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;
    std::unique_ptr<ClassifyBoardDialog>& board = fixture.board;

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { fixture.Key(key, modifiers); }
    QAction* Menu(int id) { return fixture.Menu(id); }
    EnlargeView* View() { return board->viewer().window()->view(); }
    QPoint Middle() { return View()->contentsRect().center(); }
    // Pictures of a camera and of another shape, so that the point is kept as a share of each.
    FilePathList Pictures() {
        FilePathList paths;
        const QSize sizes[] = {{1200, 900}, {1000, 800}, {1200, 900}, {900, 1200}};
        for (int i = 0; i < 4; ++i) {
            paths.push_back(pelldrake::testing::WriteImageFile(fixture.dir->Native(QStringLiteral("p%1.jpg").arg(i)),
                                                               sizes[i], "jpeg", static_cast<std::uint32_t>(i + 1)));
        }
        return paths;
    }
    void Wheel(const QPoint& at, int delta) {
        QWheelEvent wheel(at, View()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(View(), &wheel);
    }
    void DragBy(const QPoint& from, const QPoint& offset) {
        QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, from);
        for (int step = 1; step <= 4; ++step) {
            const QPointF at = from + offset * step / 4;
            QMouseEvent move(QEvent::MouseMove, at, View()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(View(), &move);
        }
        QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, from + offset);
    }

private slots:
    void init() {
        fixture.Reset();
        board->show();
        QVERIFY(QTest::qWaitForWindowActive(board.get()));
    }
    void cleanup() { board.reset(); }

    void zAndTheCheckMarkAndThePointKeptWhileStepping() {
        pelldrake::testing::Fill(*board, kUnclassified, Pictures());
        QVERIFY(!Menu(menu_ids::kActualSize)->isEnabled());
        Key(Qt::Key_Z);
        QVERIFY(!Menu(menu_ids::kActualSize)->isChecked());

        Key(Qt::Key_Space);
        QVERIFY(Menu(menu_ids::kActualSize)->isEnabled());
        QVERIFY(!Menu(menu_ids::kActualSize)->isChecked());
        Key(Qt::Key_Z);
        QCOMPARE(View()->zoom(), std::optional<double>(1.0));
        QVERIFY(Menu(menu_ids::kActualSize)->isChecked());
        QTRY_VERIFY(View()->showsZoomedPicture());
        QVERIFY(Near(View()->PictureFractionAt(Middle()), QPointF(0.5, 0.5)));
        // The next file is read ahead at 100 % while the user looks at this one (below: Enter shows it at once).
        QTRY_COMPARE(ImageLoader::Shared()->pendingCount(), 0);
        QCOMPARE(View()->cursor().shape(), Qt::OpenHandCursor);

        // A quarter of the window to the right and down, from the board.
        const QSize area = View()->contentsRect().size();
        Key(Qt::Key_Right, Qt::ControlModifier);
        Key(Qt::Key_Down, Qt::ControlModifier);
        const QPointF point = View()->PictureFractionAt(Middle());
        QVERIFY(Near(point, QPointF(0.5 + area.width() / 4.0 / 1200, 0.5 + area.height() / 4.0 / 900)));

        // Enter, a digit, Backspace and undo each bring another file at the same zoom and share.
        const auto stepsKeepTheZoomAndThePoint = [&](const char* step) {
            QTRY_VERIFY2(View()->showsZoomedPicture(), step);
            QVERIFY2(View()->zoom() == 1.0, step);
            QVERIFY2(Near(View()->PictureFractionAt(Middle()), point), step);
            QVERIFY2(Menu(menu_ids::kActualSize)->isChecked(), step);
        };
        Key(Qt::Key_Return);
        QCOMPARE(View()->currentFile(), fixture.Entries(kUnclassified)[1]);
        QVERIFY(View()->showsZoomedPicture());
        stepsKeepTheZoomAndThePoint("Enter");
        if (QTest::currentTestFailed())
            return;
        Key(Qt::Key_2);
        QCOMPARE(View()->currentFile(), fixture.Entries(kUnclassified)[1]);
        stepsKeepTheZoomAndThePoint("digit");
        if (QTest::currentTestFailed())
            return;
        Key(Qt::Key_Backspace);
        stepsKeepTheZoomAndThePoint("Backspace");
        if (QTest::currentTestFailed())
            return;
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fixture.Entries(2).size(), std::size_t{1});
        stepsKeepTheZoomAndThePoint("undo");
        if (QTest::currentTestFailed())
            return;
        // Hidden and shown again, the window comes back as it was.
        Key(Qt::Key_Escape);
        QVERIFY(!board->viewer().window()->isVisible());
        QVERIFY(!View()->showsZoomedPicture());
        Key(Qt::Key_Space);
        stepsKeepTheZoomAndThePoint("shown again");
        if (QTest::currentTestFailed())
            return;

        Key(Qt::Key_Z);
        QVERIFY(!View()->zoom());
        QVERIFY(!Menu(menu_ids::kActualSize)->isChecked());
        QCOMPARE(View()->cursor().shape(), Qt::ArrowCursor);
        // Back at 100 % where the user left it.
        Key(Qt::Key_Z);
        QTRY_VERIFY(View()->showsZoomedPicture());
        QVERIFY(Near(View()->PictureFractionAt(Middle()), point));
    }

    void clickWheelAndDragKeepThePointUnderTheCursor() {
        FilePathList paths = Pictures();
        paths.insert(paths.begin(), pelldrake::testing::WriteImageFile(fixture.dir->Native("small.jpg"), {600, 450}));
        pelldrake::testing::Fill(*board, kUnclassified, paths);
        Key(Qt::Key_Space);
        QTRY_COMPARE(View()->showing(), CThumbCtl::Showing::Image);
        // The wheel's first step from fitted is the smallest above it, known once the picture's own
        // size is: 50 % for this one in this window.
        const QPoint first = Middle() + QPoint(30, 20);
        const QPointF underFirst = View()->PictureFractionAt(first);
        Wheel(first, 120);
        QTRY_VERIFY(View()->showsZoomedPicture());
        QCOMPARE(View()->zoom(), std::optional<double>(0.5));
        QVERIFY(Near(View()->PictureFractionAt(first), underFirst));
        Wheel(first, -120);
        QVERIFY(!View()->zoom());
        // The same again with the picture in memory: at once.
        Wheel(first, 120);
        QCOMPARE(View()->zoom(), std::optional<double>(0.5));
        Wheel(first, -120);
        QVERIFY(!View()->zoom());

        Key(Qt::Key_Return);
        QTRY_COMPARE(View()->showing(), CThumbCtl::Showing::Image);
        const QPoint at = Middle() + QPoint(-50, -30);
        const QPointF before = View()->PictureFractionAt(at);
        QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(View()->zoom(), std::optional<double>(1.0));
        QTRY_VERIFY(View()->showsZoomedPicture());
        QVERIFY(Near(View()->PictureFractionAt(at), before));
        QVERIFY(Menu(menu_ids::kActualSize)->isChecked());

        const QPoint wheelAt = Middle() + QPoint(20, 10);
        const QPointF underWheel = View()->PictureFractionAt(wheelAt);
        Wheel(wheelAt, 120);
        QCOMPARE(View()->zoom(), std::optional<double>(2.0));
        QVERIFY(Near(View()->PictureFractionAt(wheelAt), underWheel));
        QVERIFY(!Menu(menu_ids::kActualSize)->isChecked());

        // A drag takes the picture along with the cursor.
        DragBy(wheelAt, QPoint(-40, 0));
        QCOMPARE(View()->zoom(), std::optional<double>(2.0));
        QVERIFY(Near(View()->PictureFractionAt(wheelAt), underWheel + QPointF(40.0 / 2400, 0)));

        Wheel(wheelAt, -120);
        QCOMPARE(View()->zoom(), std::optional<double>(1.0));
        QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(!View()->zoom());
        QVERIFY(!Menu(menu_ids::kActualSize)->isChecked());
    }
};

QTEST_MAIN(LoupeTest)
#include "tst_loupe.moc"
