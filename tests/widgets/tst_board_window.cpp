#include "board/status_text.h"
#include "board/ui/classify_board_dialog.h"
#include "resources/control_ids.h"
#include "support/board_fixture.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "thumbs/ui/enlarge_window.h"
#include "thumbs/ui/file_drag.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;
using pelldrake::testing::FillWithFiles;
using pelldrake::testing::RecordingShell;
using pelldrake::testing::TempDir;

class BoardWindowTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;
    std::unique_ptr<TempDir>& dir = fixture.dir;
    RecordingShell& shell = fixture.shell;

    std::unique_ptr<ClassifyBoardDialog> MakeBoard(LayoutMode layout = LayoutMode::Small) {
        return fixture.MakeBoard(layout);
    }
    FilePathList Fill(ClassifyBoardDialog& board, ListIndex list, int count) {
        return FillWithFiles(board, *dir, list, count);
    }
    bool Enabled(ClassifyBoardDialog& board, int id) { return board.control(id)->isEnabled(); }

private slots:
    void init() { fixture.Reset(); }

    void startsCollapsedWithDependentControlsDisabled() {
        auto board = MakeBoard();
        QCOMPARE(board->windowTitle(), QString::fromUtf8("イメージ分類"));
        QVERIFY(!board->expanded());
        for (int id : Board::DependentControlsOf(0))
            QVERIFY2(!Enabled(*board, id), qPrintable(QString::number(id)));
        QVERIFY(!Enabled(*board, ids::MoveAll(4)));
        QVERIFY(Enabled(*board, ids::Enlarge(4)));
        QCOMPARE(Enabled(*board, ids::kListButton), board->CommandAvailable(ids::kListButton));
        QVERIFY(Enabled(*board, ids::kExpandToggle));
        QCOMPARE(board->groupBox(0)->title(), QString::fromUtf8("未分類ファイル"));
        QCOMPARE(board->scrollBar(0)->maximum(), 0);
    }

    void emptyPaneShowsNothingAndCountsZero() {
        auto board = MakeBoard();
        board->board().ResyncPane(0);
        board->board().ResyncPane(7);
        QCOMPARE(board->groupBox(0)->title(), QString::fromUtf8("未分類(0/0)"));
        QCOMPARE(board->groupBox(7)->title(), QString::fromUtf8("分類7(0/0)"));
        QCOMPARE(board->thumbnail(0)->currentFile(), FilePath());
        QCOMPARE(board->statusText(), QString());
    }

    void filledPaneEnablesItsButtonsAndShowsTheFirstFile() {
        auto board = MakeBoard();
        const FilePathList paths = Fill(*board, 0, 3);
        QCOMPARE(board->groupBox(0)->title(), QString::fromUtf8("未分類(1/3)"));
        QCOMPARE(board->thumbnail(0)->currentFile(), paths[0]);
        QCOMPARE(board->statusText(), QStringLiteral("f0_0.jpg (10)"));
        for (int id : Board::DependentControlsOf(0))
            QCOMPARE(Enabled(*board, id), board->CommandAvailable(id));
        QVERIFY(Enabled(*board, ids::NumberButton(1)));
        QVERIFY(Enabled(*board, ids::kExclude));
        Fill(*board, 3, 1);
        QCOMPARE(board->statusText(), QStringLiteral("f0_0.jpg (10)")); // the unclassified file's alone
        QVERIFY(Enabled(*board, ids::MoveAll(3)));
        QVERIFY(!Enabled(*board, ids::MoveAll(4)));
    }

    void statusLineSizes_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("text");
        QTest::newRow("2047 bytes") << 2047 << "s.jpg (2047)";
        QTest::newRow("2048 bytes") << 2048 << "s.jpg (2KB)";
        QTest::newRow("1048575 bytes") << 1048575 << "s.jpg (1023KB)";
        QTest::newRow("empty") << 0 << "s.jpg (0)";
    }
    void statusLineSizes() {
        QFETCH(int, size);
        QFETCH(QString, text);
        const FilePath path = dir->Write("s.jpg", QByteArray(size, 'x'));
        QCOMPARE(StatusTextFor(path), text);
    }

    void statusLineOfAMissingFile() {
        QCOMPARE(StatusTextFor(dir->Native("gone.jpg")), QString::fromUtf8("情報取得に失敗"));
        auto board = MakeBoard();
        board->board().List(0).Append(dir->Native("gone.jpg"));
        board->board().ResyncPane(0);
        QCOMPARE(board->statusText(), QString::fromUtf8("情報取得に失敗"));
        QCOMPARE(board->board().List(0).Count(), 1); // the entry stays
    }

    void pictureTooLargeToDecodeShowsThePlaceholderAndSaysWhy() {
        auto board = MakeBoard();
        const FilePath bomb = dir->Write("bomb.jpg", testing::JpegClaiming(QSize(30000, 30000), true));
        board->board().List(0).Append(bomb);
        board->board().ResyncPane(0);
        QTRY_COMPARE(board->thumbnail(0)->showing(), CThumbCtl::Showing::Placeholder);
        const QString status = board->statusText();
        QVERIFY2(status.endsWith(StatusTextFor(bomb)), qPrintable(status));
        QVERIFY2(status.contains(QString::fromUtf8("大きすぎて表示しません(30000×30000")), qPrintable(status));
    }

    void lineStepsStopAtTheEndsAndBottomGoesToTheLast() {
        auto board = MakeBoard();
        const FilePathList paths = Fill(*board, 0, 5);
        board->OnScroll(0, ScrollCode::LineUp, 0);
        board->OnScroll(0, ScrollCode::EndScroll, 0);
        QCOMPARE(board->board().List(0).position(), 0);
        board->OnScroll(0, ScrollCode::Bottom, 0);
        board->OnScroll(0, ScrollCode::EndScroll, 0);
        QCOMPARE(board->board().List(0).position(), 4);
        QCOMPARE(board->groupBox(0)->title(), QString::fromUtf8("未分類(5/5)"));
        board->OnScroll(0, ScrollCode::LineDown, 0);
        board->OnScroll(0, ScrollCode::PageDown, 0);
        QCOMPARE(board->board().List(0).position(), 4);
        board->OnScroll(0, ScrollCode::PageUp, 0); // a page is one entry
        QCOMPARE(board->board().List(0).position(), 3);
        board->OnScroll(0, ScrollCode::Top, 0);
        board->OnScroll(0, ScrollCode::EndScroll, 0);
        QCOMPARE(board->thumbnail(0)->currentFile(), paths[0]);
    }

    void scrollBarMenuShowsTheFileItMovesTo() {
        auto board = MakeBoard();
        board->show();
        const FilePathList paths = Fill(*board, 0, 5);
        PaneScrollBar* bar = board->scrollBar(0);
        // Picks the n-th entry of the scroll bar's own menu: 0 "scroll here", 2 "bottom".
        auto choose = [bar](int entry, QPoint at) {
            QTimer::singleShot(0, [entry] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QList<QAction*> actions;
                for (QAction* action : menu->actions()) {
                    if (!action->isSeparator())
                        actions << action;
                }
                menu->setActiveAction(actions[entry]);
                QTest::keyClick(menu, Qt::Key_Return);
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
            QApplication::sendEvent(bar, &event);
        };
        choose(2, QPoint(2, 2));
        QCOMPARE(board->board().List(0).position(), 4);
        QCOMPARE(board->thumbnail(0)->currentFile(), paths[4]);
        choose(0, QPoint(bar->width() / 2, 1));
        QCOMPARE(board->board().List(0).position(), bar->value());
        QCOMPARE(board->thumbnail(0)->currentFile(), paths[static_cast<std::size_t>(bar->value())]);
        QVERIFY(bar->value() < 4);
    }

    void draggingMovesTheTitleAndTheThumbnailFollowsOnRelease() {
        auto board = MakeBoard();
        const FilePathList paths = Fill(*board, 2, 6);
        board->board().ResyncPane(2, 0);
        board->OnScroll(2, ScrollCode::ThumbTrack, 2);
        QCOMPARE(board->groupBox(2)->title(), QString::fromUtf8("分類2(3/6)"));
        board->OnScroll(2, ScrollCode::ThumbTrack, 4);
        QCOMPARE(board->groupBox(2)->title(), QString::fromUtf8("分類2(5/6)"));
        QCOMPARE(board->thumbnail(2)->currentFile(), paths[0]);
        board->OnScroll(2, ScrollCode::ThumbPosition, 4);
        board->OnScroll(2, ScrollCode::EndScroll, 0);
        QCOMPARE(board->thumbnail(2)->currentFile(), paths[4]);
        QCOMPARE(board->board().lastTouchedList(), 2);
    }

    void realScrollBarClicksAndDragsEndOnRelease() {
        auto board = MakeBoard();
        const FilePathList paths = Fill(*board, 0, 5);
        board->show();
        PaneScrollBar* bar = board->scrollBar(0);
        // Clicking the lower arrow steps once and ends the scroll when released.
        const QPoint lowerArrow(bar->width() / 2, bar->height() - 3);
        QTest::mouseClick(bar, Qt::LeftButton, {}, lowerArrow);
        QCOMPARE(board->board().List(0).position(), 1);
        QCOMPARE(board->groupBox(0)->title(), QString::fromUtf8("未分類(2/5)"));
        QCOMPARE(board->thumbnail(0)->currentFile(), board->board().List(0).At(1));
        QCOMPARE(board->board().lastTouchedList(), 0);

        // Dragging the handle (at the top, just below the upper arrow) counts along; the file
        // follows on release only.
        board->board().ResyncPane(0, 0);
        const QPoint grip(bar->width() / 2, bar->width() + 2);
        const QPoint dropped(grip.x(), bar->height() * 3 / 4);
        QTest::mousePress(bar, Qt::LeftButton, {}, grip);
        QVERIFY(bar->isSliderDown());
        QMouseEvent drag(QEvent::MouseMove, dropped, bar->mapToGlobal(dropped), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(bar, &drag);
        const int dragged = board->board().List(0).position();
        QVERIFY(dragged > 1);
        QCOMPARE(board->thumbnail(0)->currentFile(), paths[0]);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, dropped);
        QCOMPARE(board->thumbnail(0)->currentFile(), paths[static_cast<std::size_t>(dragged)]);
    }

    void expandTwiceReturnsToTheCollapsedSize() {
        auto board = MakeBoard(LayoutMode::Medium);
        board->show();
        const QSize collapsed = board->size();
        const QPoint place = board->pos();
        auto* toggle = qobject_cast<QAbstractButton*>(board->control(ids::kExpandToggle));
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(board->expanded());
        QVERIFY(toggle->isChecked());
        QVERIFY(board->size().width() > collapsed.width());
        QVERIFY(board->size().height() > collapsed.height());
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!board->expanded());
        QVERIFY(!toggle->isChecked());
        QCOMPARE(board->size(), collapsed);
        QCOMPARE(board->pos(), place);
    }

    void layoutsDifferInSize() {
        const QSize small = MakeBoard(LayoutMode::Small)->fullSize();
        const QSize medium = MakeBoard(LayoutMode::Medium)->fullSize();
        const QSize largest = MakeBoard(LayoutMode::Largest)->fullSize();
        QVERIFY(small.width() < medium.width() && medium.width() < largest.width());
        QVERIFY(small.height() < medium.height() && medium.height() < largest.height());
    }

    void enlargeButtonsSwitchAndHideTheWindow() {
        auto board = MakeBoard();
        const FilePathList paths = Fill(*board, 0, 2);
        Fill(*board, 10, 1);
        board->show();
        auto* enlarge0 = qobject_cast<QAbstractButton*>(board->control(ids::Enlarge(0)));
        auto* enlarge10 = qobject_cast<QAbstractButton*>(board->control(ids::Enlarge(10)));
        EnlargeWindow* window = board->viewer().window();
        QVERIFY(window && !window->isVisible());

        QTest::mouseClick(enlarge0, Qt::LeftButton);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QString::fromUtf8("拡大ウィンドウ（未分類）"));
        QCOMPARE(window->currentPath(), paths[0]);
        QVERIFY(enlarge0->isChecked());

        QTest::mouseClick(enlarge10, Qt::LeftButton);
        QCOMPARE(window->windowTitle(), QString::fromUtf8("拡大ウィンドウ（分類10）"));
        QVERIFY(!enlarge0->isChecked());
        QVERIFY(enlarge10->isChecked());
        QCOMPARE(board->viewer().ShownList(), 10);

        QTest::mouseClick(enlarge10, Qt::LeftButton); // the shown list's button hides it
        QVERIFY(!window->isVisible());
        QVERIFY(!enlarge10->isChecked());
        QCOMPARE(board->viewer().ShownList(), -1);
    }

    void enlargeWindowFollowsTheShownList() {
        auto board = MakeBoard();
        const FilePathList paths = Fill(*board, 0, 3);
        board->EnlargeCommand(0);
        board->OnScroll(0, ScrollCode::LineDown, 0);
        board->OnScroll(0, ScrollCode::EndScroll, 0);
        QCOMPARE(board->viewer().window()->currentPath(), paths[1]);
        Fill(*board, 4, 1); // another pane's file stays out of the window
        QCOMPARE(board->viewer().window()->currentPath(), paths[1]);
        board->board().List(0).Clear();
        board->board().ResyncPane(0, 0);
        QCOMPARE(board->viewer().window()->currentPath(), FilePath());
        QVERIFY(board->viewer().window()->isVisible());
    }

    void enlargeOfAnEmptyListShowsAnEmptyWindow() {
        auto board = MakeBoard();
        board->EnlargeCommand(5);
        QVERIFY(board->viewer().window()->isVisible());
        QCOMPARE(board->viewer().window()->windowTitle(), QString::fromUtf8("拡大ウィンドウ（分類5）"));
        QCOMPARE(board->viewer().window()->currentPath(), FilePath());
    }

    void browserModeOpensTheBrowserAndNeverPressesAButton() {
        SettingsFile(dir->FilePath("p.INI")).WriteUseBrowser(1);
        auto board = MakeBoard();
        const FilePathList paths = Fill(*board, 0, 1);
        QVERIFY(!board->viewer().window());
        board->EnlargeCommand(0);
        board->EnlargeCommand(0);
        QCOMPARE(shell.browsed, (std::vector<FilePath>{paths[0], paths[0]}));
        QVERIFY(!qobject_cast<QAbstractButton*>(board->control(ids::Enlarge(0)))->isChecked());
        QCOMPARE(board->viewer().ShownList(), -1);
        board->EnlargeCommand(3); // empty list: nothing opens
        QCOMPARE(shell.browsed.size(), 2u);
    }

    void dragOutOffersTheShownFileAsACopyAndTheBoardTakesNoneOfItsOwn() {
        auto board = MakeBoard();
        const FilePath shown = dir->Touch("odd name \xff.jpg", "x");
        pelldrake::testing::Fill(*board, 0, {shown});
        board->show();
        const std::unique_ptr<QMimeData> data = FileDragData(board->thumbnail(0)->currentFile());
        QCOMPARE(kFileDragActions, Qt::DropActions(Qt::CopyAction));
        QCOMPARE(data->data("text/uri-list"),
                 "file://" + QByteArray::fromStdString(shown).toPercentEncoding("/") + "\r\n");
        QVERIFY(!data->hasFormat("x-special/gnome-copied-files"));

        // Back on the board: refused on entry, so Qt delivers no drop to it either.
        const QGroupBox* pane = board->groupBox(0);
        const QPoint at = board->mapFromGlobal(pane->mapToGlobal(pane->rect().center()));
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(board.get(), &enter);
        QVERIFY(!enter.isAccepted());
        // The same file from another program is a drop like any other.
        QMimeData foreign;
        foreign.setData("text/uri-list", data->data("text/uri-list"));
        QDragEnterEvent foreignEnter(at, Qt::CopyAction, &foreign, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(board.get(), &foreignEnter);
        QVERIFY(foreignEnter.isAccepted());
    }

    void openButtonOpensTheCurrentFile() {
        auto board = MakeBoard();
        const FilePathList paths = Fill(*board, 0, 2);
        board->board().ResyncPane(0, 1);
        board->show();
        QTest::mouseClick(qobject_cast<QAbstractButton*>(board->control(ids::kOpen)), Qt::LeftButton);
        QCOMPARE(shell.opened, (std::vector<FilePath>{paths[1]}));
    }
};

QTEST_MAIN(BoardWindowTest)
#include "tst_board_window.moc"
