#include "board/ui/board_menu_bar.h"
#include "resources/control_ids.h"
#include "resources/file_list_template.h"
#include "support/board_fixture.h"
#include "tools/sort_state.h"
#include "tools/ui/file_list_dialog.h"
#include "tools/ui/file_list_model.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;

// The file list window over a real board: sorting, moving selected rows, refreshing the panes
// it changed, and its controls following the window's size.
class FileListTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;
    Board& model() { return fixture.board->board(); }
    void Fill(ListIndex list, int count, int position) {
        for (int i = 0; i < count; ++i)
            model().List(list).Append(QStringLiteral("/l%1/f%2.e%3").arg(list).arg(i).arg(i * 3 % 4).toStdString());
        model().List(list).UpdateControls();
        model().ResyncPane(list, position);
    }
    static void Select(FileListDialog& dialog, std::initializer_list<int> rows) {
        for (int row : rows)
            dialog.rowsView()->selectionModel()->select(dialog.rows()->index(row, 0),
                                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    static QStringList Column(const FileListDialog& dialog, int column) {
        QStringList texts;
        for (int row = 0; row < dialog.rows()->rowCount(); ++row)
            texts << dialog.rows()->index(row, column).data().toString();
        return texts;
    }
    static void ClickHeader(FileListDialog& dialog, int column) {
        QHeaderView* header = dialog.rowsView()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    // Runs the board's command 1190; while the window is open, acts on it, which must close it.
    void RunFileList(const std::function<void(FileListDialog&)>& act) {
        bool closedByAct = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<FileListDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            act(*dialog);
            closedByAct = !dialog->isVisible();
            dialog->reject(); // a failed check inside act must not leave the window open
        });
        qobject_cast<QAbstractButton*>(fixture.board->control(ids::kListButton))->click();
        QVERIFY(closedByAct);
    }

private slots:
    void init() { fixture.Reset(); }
    void cleanup() { fixture.board.reset(); }

    void movesSelectedRowsAndRefreshesOnlyTheChangedPanes() {
        FileListSortState() = SortState();
        Fill(0, 8, 3);
        Fill(2, 3, 2);
        Fill(4, 1, 0);
        fixture.board->boardMenu()->UpdateStates();
        QVERIFY(fixture.board->boardMenu()->action(ids::kListButton)->isEnabled());
        QVERIFY(fixture.board->control(ids::Dispose(4))->isEnabled());
        QVERIFY(!fixture.board->control(ids::Dispose(5))->isEnabled());
        RunFileList([](FileListDialog& dialog) {
            QCOMPARE(dialog.rows()->rowCount(), 8);
            Select(dialog, {2, 5, 7});
            dialog.moveTargetBox()->setCurrentIndex(5);
            QTest::keyClick(dialog.rowsView(), Qt::Key_Return); // Enter presses "移動"
            QCOMPARE(dialog.rows()->rowCount(), 5);
            QCOMPARE(dialog.rowsView()->selectionModel()->selectedRows().size(), 0);
            dialog.shownListBox()->setCurrentIndex(4); // list 4 empties into list 5
            Select(dialog, {0});
            qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
            dialog.shownListBox()->setCurrentIndex(5);
            QCOMPARE(Column(dialog, 0), (QStringList{"f7", "f5", "f2", "f0"}));
            ClickHeader(dialog, 1); // "拡張子": descending first
            // Enter on the focused "終了" closes the window; it does not press "移動".
            Select(dialog, {0});
            dialog.moveTargetBox()->setCurrentIndex(2);
            dialog.moveTargetBox()->setFocus();
            for (int tab = 0; tab < 2; ++tab)
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
            QCOMPARE(dialog.focusWidget(), dialog.control(ids::kCancel));
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(fixture.Entries(5), (FilePathList{"/l0/f7.e1", "/l0/f5.e3", "/l0/f2.e2", "/l4/f0.e0"}));
        QVERIFY(fixture.Entries(2).size() == 3 && fixture.Entries(4).empty());
        QCOMPARE(model().List(0).Count(), 5);
        QCOMPARE(fixture.board->groupBox(0)->title(), QString::fromUtf8("未分類(1/5)"));
        QCOMPARE(fixture.board->groupBox(5)->title(), QString::fromUtf8("分類5(1/4)"));
        QCOMPARE(model().List(2).position(), 2);
        // The buttons of a list that turned empty or non-empty follow it.
        QVERIFY(!fixture.board->control(ids::Dispose(4))->isEnabled());
        QVERIFY(fixture.board->control(ids::Dispose(5))->isEnabled());

        // Closing without a move leaves every pane where it was; the next opening's click on the
        // column sorts the other way, as the run's last click left it.
        model().ResyncPane(0, 3);
        RunFileList([](FileListDialog& dialog) {
            ClickHeader(dialog, 1);
            QCOMPARE(Column(dialog, 1), (QStringList{"e0", "e0", "e1", "e2", "e3"}));
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        QCOMPARE(model().List(0).position(), 3);
        QCOMPARE(fixture.board->groupBox(0)->title(), QString::fromUtf8("未分類(4/5)"));
    }

    void sortsOnlyTheRowsAndARefillRestoresListOrder() {
        FileListSortState() = SortState();
        Fill(0, 4, 0);
        FileListDialog dialog(model());
        dialog.show();
        ClickHeader(dialog, 1); // "拡張子": descending first
        QCOMPARE(Column(dialog, 1), (QStringList{"e3", "e2", "e1", "e0"}));
        ClickHeader(dialog, 1);
        QCOMPARE(Column(dialog, 0), (QStringList{"f0", "f3", "f2", "f1"}));
        Select(dialog, {1});    // f3 stays selected through the next sort
        ClickHeader(dialog, 0); // "ファイル名": descending again
        QCOMPARE(Column(dialog, 0), (QStringList{"f3", "f2", "f1", "f0"}));
        QCOMPARE(dialog.rowsView()->selectionModel()->selectedRows().value(0).row(), 0);
        QCOMPARE(fixture.Entries(0).front(), "/l0/f0.e0");

        dialog.moveTargetBox()->setCurrentIndex(kDropFromBoard); // "除外する"
        qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
        QCOMPARE(Column(dialog, 0), (QStringList{"f0", "f1", "f2"}));
        QCOMPARE(model().TotalCount(), 3);
        QVERIFY(dialog.listChanged()[0]);

        // Nothing selected, or an empty list: "移動" does nothing.
        dialog.shownListBox()->setCurrentIndex(1);
        QCOMPARE(dialog.rows()->rowCount(), 0);
        qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
        QVERIFY(!dialog.listChanged()[1]);
    }

    void aLongListSortsInTheBackgroundAndRefusesClicksMeanwhile() {
        FileListSortState() = SortState();
        Fill(0, FileListModel::kSortInPlaceRows + 1, 0);
        FileListDialog dialog(model());
        dialog.show();
        Select(dialog, {1});
        ClickHeader(dialog, 1); // "拡張子", descending: f1 has e3
        QVERIFY(dialog.rows()->isSorting());
        QCOMPARE(dialog.cursor().shape(), Qt::WaitCursor);
        QCOMPARE(dialog.rows()->index(0, 0).data().toString(), "f0"); // the old order until the new one is done
        ClickHeader(dialog, 0);
        QTest::keyClick(dialog.rowsView(), Qt::Key_Escape);
        QTRY_VERIFY(!dialog.rows()->isSorting());
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(FileListSortState().lastColumn, 1);
        QCOMPARE(dialog.rows()->index(0, 0).data().toString(), "f1");
        QCOMPARE(dialog.rows()->index(1, 0).data().toString(), "f5");
        QCOMPARE(dialog.rowsView()->selectionModel()->selectedRows().value(0).row(), 0);
        ClickHeader(dialog, 1); // clicks count again
        QTRY_COMPARE(dialog.rows()->index(0, 1).data().toString(), "e0");
    }

    void controlsFollowTheWindowSizeButNeverBelowItsStart() {
        FileListDialog dialog(model());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QSize start = dialog.size();
        std::map<int, QRect> before;
        for (int id : {1400, 1401, 1404, 1402, ids::kOk, ids::kCancel})
            before[id] = dialog.control(id)->geometry();

        dialog.resize(start + QSize(50, 50));
        QCOMPARE(dialog.control(1400)->geometry(), before[1400].adjusted(0, 0, 50, 0));
        QCOMPARE(dialog.control(1401)->geometry(), before[1401].adjusted(0, 0, 50, 50));
        for (int id : {1404, 1402, ids::kOk, ids::kCancel})
            QCOMPARE(dialog.control(id)->geometry(), before[id].translated(0, 50));

        dialog.resize(start - QSize(30, 30));
        QCOMPARE(dialog.size(), start);
        for (const auto& [id, rect] : before)
            QCOMPARE(dialog.control(id)->geometry(), rect);
    }
};

QTEST_MAIN(FileListTest)
#include "tst_file_list.moc"
