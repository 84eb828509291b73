#include "board/board_history.h"
#include "board/pane_scroll.h"
#include "board/ui/board_menu_bar.h"
#include "board/ui/classify_board_dialog.h"
#include "resources/menu_table.h"
#include "support/board_fixture.h"
#include "support/test_images.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/compare_cells.h"
#include "thumbs/ui/enlarge_view.h"
#include "thumbs/ui/enlarge_window.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QWheelEvent>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;
using pelldrake::testing::Near;

// The enlarge window with pictures side by side, driven by the board's keys and by the mouse.
class CompareTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;
    std::unique_ptr<ClassifyBoardDialog>& board = fixture.board;

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { fixture.Key(key, modifiers); }
    QAction* Menu(int id) { return fixture.Menu(id); }
    CompareCells* Cells() { return board->viewer().window()->cells(); }
    EnlargeView* Cell(int index) { return Cells()->cell(index); }
    FilePathList Shown() {
        FilePathList paths;
        for (int index = 0; index < Cells()->cellCount(); ++index)
            paths.push_back(Cell(index)->currentFile());
        return paths;
    }
    // The unclassified entries from its current one on, count of them, empty past the end.
    FilePathList FromCurrent(int count) {
        const ClassList& list = board->board().List(kUnclassified);
        FilePathList paths;
        for (int index = list.position(); index < list.position() + count; ++index)
            paths.push_back(index < list.Count() ? list.At(index) : FilePath());
        return paths;
    }
    FilePathList Pictures(int count) {
        FilePathList paths;
        const QSize sizes[] = {{1200, 900}, {1000, 800}, {900, 1200}, {1200, 900}, {800, 600}};
        for (int i = 0; i < count; ++i) {
            paths.push_back(pelldrake::testing::WriteImageFile(fixture.dir->Native(QStringLiteral("c%1.jpg").arg(i)),
                                                               sizes[i % 5], "jpeg",
                                                               static_cast<std::uint32_t>(i + 1)));
        }
        return paths;
    }
    void SetCompareCount(const char* count) { fixture.Settings().profile().WriteText("EXPANDVIEW", "COMPARE", count); }

private slots:
    void init() {
        fixture.Reset();
        board->show();
        QVERIFY(QTest::qWaitForWindowActive(board.get()));
    }
    void cleanup() { board.reset(); }

    void compareShowsTheEntriesFromTheCurrentOneAndSteps() {
        pelldrake::testing::Fill(*board, kUnclassified, Pictures(5));
        Key(Qt::Key_C);
        QVERIFY(!Menu(menu_ids::kCompare)->isEnabled());
        QVERIFY(!board->viewer().Compares());

        Key(Qt::Key_Space);
        // Cells larger than the pane, whose read-ahead could otherwise serve them.
        board->viewer().window()->resize(900, 500);
        QVERIFY(Menu(menu_ids::kCompare)->isEnabled());
        QVERIFY(!Menu(menu_ids::kCompare)->isChecked());
        Key(Qt::Key_C);
        QVERIFY(Menu(menu_ids::kCompare)->isChecked());
        QCOMPARE(Shown(), FromCurrent(2));
        QCOMPARE(Cells()->plan().currentCell, 0);
        QVERIFY(board->isActiveWindow());
        // Side by side in one row, of one size.
        QCOMPARE(Cell(1)->geometry().top(), Cell(0)->geometry().top());
        QVERIFY(Cell(1)->geometry().left() > Cell(0)->geometry().right());
        QCOMPARE(Cell(1)->size(), Cell(0)->size());

        Key(Qt::Key_Return);
        QCOMPARE(Shown(), FromCurrent(2));
        QCOMPARE(Shown()[0], fixture.Entries(kUnclassified)[1]);
        Key(Qt::Key_1);
        QCOMPARE(fixture.Entries(1).size(), std::size_t{1});
        QCOMPARE(Shown(), FromCurrent(2));
        Key(Qt::Key_Backspace);
        QCOMPARE(fixture.Entries(1).size(), std::size_t{0});
        QCOMPARE(Shown(), FromCurrent(2));
        // The entry a step brings into the last cell is read ahead: every cell is sharp at once.
        for (int step = 0; step < 4; ++step) {
            QTRY_COMPARE(ImageLoader::Shared()->pendingCount(), 0);
            Key(Qt::Key_Return);
            if (!Cell(1)->currentFile().empty())
                QCOMPARE(Cell(1)->showing(), CThumbCtl::Showing::Image);
        }
        // The last entry: the cell after it stays empty.
        QCOMPARE(Shown(), (FilePathList{fixture.Entries(kUnclassified).back(), FilePath()}));
        QCOMPARE(Cell(1)->showing(), CThumbCtl::Showing::Nothing);

        // The count is read at each toggle: four in two rows; out of range or no number, the nearest or 2.
        SetCompareCount("4");
        Key(Qt::Key_C);
        QVERIFY(!Menu(menu_ids::kCompare)->isChecked());
        QCOMPARE(Cells()->cellCount(), 1);
        QCOMPARE(Cell(0)->geometry(), Cells()->rect());
        board->OnScroll(kUnclassified, ScrollCode::Top, 0);
        board->OnScroll(kUnclassified, ScrollCode::EndScroll, 0);
        Key(Qt::Key_C);
        QCOMPARE(Shown(), FromCurrent(4));
        QCOMPARE(Cell(2)->geometry().left(), Cell(0)->geometry().left());
        QVERIFY(Cell(2)->geometry().top() > Cell(0)->geometry().bottom());
        QCOMPARE(Cell(3)->geometry().top(), Cell(2)->geometry().top());
        const std::pair<const char*, int> counts[] = {{"9", 4}, {"1", 2}, {"three", 2}, {"3", 3}};
        for (const auto& [text, count] : counts) {
            SetCompareCount(text);
            Key(Qt::Key_C);
            Key(Qt::Key_C);
            QCOMPARE(Cells()->cellCount(), count);
        }
        // Hidden, nothing to compare in.
        Key(Qt::Key_Escape);
        Key(Qt::Key_C);
        QVERIFY(board->viewer().Compares());
    }

    void zoomGoesTogetherAndThePinHoldsUntilItsFileIsSorted() {
        pelldrake::testing::Fill(*board, kUnclassified, Pictures(5));
        Key(Qt::Key_Space);
        Key(Qt::Key_P); // nothing outside compare
        QVERIFY(!board->viewer().Pins());
        Key(Qt::Key_C);
        for (int index = 0; index < 2; ++index)
            QTRY_COMPARE(Cell(index)->showing(), CThumbCtl::Showing::Image);

        // A click in the second cell zooms both at that share of their pictures.
        const QPoint at = Cell(1)->contentsRect().center() + QPoint(-12, 8);
        const QPointF clicked = Cell(1)->PictureFractionAt(at);
        QTest::mouseClick(Cell(1), Qt::LeftButton, Qt::NoModifier, at);
        for (int index = 0; index < 2; ++index) {
            QCOMPARE(Cell(index)->zoom(), std::optional<double>(1.0));
            QTRY_VERIFY(Cell(index)->showsZoomedPicture());
            QVERIFY(Near(Cell(index)->PictureFractionAt(at), clicked));
        }
        QVERIFY(board->isActiveWindow());
        // Shift with the wheel zooms the cell under the cursor alone.
        QWheelEvent wheel(at, Cell(0)->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ShiftModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Cell(0), &wheel);
        QCOMPARE(Cell(0)->zoom(), std::optional<double>(2.0));
        QCOMPARE(Cell(1)->zoom(), std::optional<double>(1.0));
        // A step keeps the zoom of every cell, and each shows its new file at its own size.
        Key(Qt::Key_Return);
        QCOMPARE(Cell(1)->zoom(), std::optional<double>(1.0));
        QTRY_VERIFY(Cell(0)->showsZoomedPicture() && Cell(1)->showsZoomedPicture());

        // Pinned, the file keeps the first cell while the rest follow the list.
        const FilePath pinned = FromCurrent(1)[0];
        Key(Qt::Key_P);
        QVERIFY(Menu(menu_ids::kPinFirst)->isChecked());
        QCOMPARE(Shown(), (FilePathList{pinned, pinned}));
        QCOMPARE(Cells()->plan().currentCell, 1);
        Key(Qt::Key_Return);
        QCOMPARE(Shown(), (FilePathList{pinned, FromCurrent(1)[0]}));
        Key(Qt::Key_2); // another file sorted: the pin stays
        QCOMPARE(fixture.Entries(2).size(), std::size_t{1});
        QCOMPARE(Shown(), (FilePathList{pinned, FromCurrent(1)[0]}));
        QVERIFY(Cells()->plan().pinned);
        board->OnScroll(kUnclassified, ScrollCode::LineUp, 0);
        board->OnScroll(kUnclassified, ScrollCode::EndScroll, 0);
        QCOMPARE(FromCurrent(1)[0], pinned);
        Key(Qt::Key_3); // the pinned file sorted: it lets go
        QCOMPARE(fixture.Entries(3), FilePathList{pinned});
        QVERIFY(!board->viewer().Pins());
        QVERIFY(!Menu(menu_ids::kPinFirst)->isChecked());
        QCOMPARE(Shown(), FromCurrent(2));
        QCOMPARE(Cells()->plan().currentCell, 0);
        // P again lets go too.
        Key(Qt::Key_P);
        QVERIFY(board->viewer().Pins());
        Key(Qt::Key_P);
        QVERIFY(!board->viewer().Pins());
        QCOMPARE(Shown(), FromCurrent(2));
    }
};

QTEST_MAIN(CompareTest)
#include "tst_compare.moc"
