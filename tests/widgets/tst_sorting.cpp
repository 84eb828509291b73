#include "board/ui/board_menu_bar.h"
#include "board/ui/classify_board_dialog.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "support/board_fixture.h"
#include "support/embedded_previews.h"
#include "support/test_images.h"
#include "thumbs/image_loader.h"
#include "thumbs/ui/enlarge_window.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <functional>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;

// Drives the real board with keys and clicks, the way a user sorts.
class SortingTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;
    std::unique_ptr<pelldrake::testing::TempDir>& dir = fixture.dir;
    pelldrake::testing::ScriptedPrompter& prompter = fixture.prompter;
    pelldrake::testing::RecordingShell& shell = fixture.shell;
    std::unique_ptr<ClassifyBoardDialog>& board = fixture.board;

    Board& model() { return board->board(); }
    FilePathList Entries(ListIndex list) const { return fixture.Entries(list); }
    void Fill(ListIndex list, const FilePathList& names, int position = 0) {
        pelldrake::testing::Fill(*board, list, names, position);
    }
    QAbstractButton* Button(int id) { return qobject_cast<QAbstractButton*>(board->control(id)); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(board.get(), static_cast<Qt::Key>(key), modifiers);
    }
    QAction* Menu(int id) {
        board->boardMenu()->UpdateStates();
        return board->boardMenu()->action(id);
    }

private slots:
    void init() {
        fixture.Reset();
        board->show();
        QVERIFY(QTest::qWaitForWindowActive(board.get()));
    }
    void cleanup() { board.reset(); }

    // --- moves by key ---
    void digitSortsTheLastEntryAndBackspaceReturnsIt() {
        Fill(0, {"a", "b", "c"}, 2);
        Key(Qt::Key_2);
        QCOMPARE(Entries(0), (FilePathList{"a", "b"}));
        QCOMPARE(model().List(0).position(), 1);
        QCOMPARE(Entries(2), (FilePathList{"c"}));
        QCOMPARE(model().List(2).position(), 0);
        QCOMPARE(model().lastTouchedList(), 2);
        QVERIFY(Button(ids::MoveAll(2))->isEnabled());
        Key(Qt::Key_Backspace);
        QCOMPARE(Entries(0), (FilePathList{"a", "c", "b"}));
        QCOMPARE(model().List(0).position(), 1);
        QVERIFY(Entries(2).empty());
        QVERIFY(!Button(ids::MoveAll(2))->isEnabled());
    }

    void sortThenBackspaceUndoesInTheMiddle() {
        Fill(0, {"a", "b", "c"}, 1);
        Key(Qt::Key_2);
        QCOMPARE(Entries(0), (FilePathList{"a", "c"}));
        Key(Qt::Key_Backspace);
        QCOMPARE(Entries(0), (FilePathList{"a", "b", "c"}));
        QCOMPARE(model().List(0).position(), 1);
    }

    void zeroSortsIntoListTenAndEmptyListIgnoresDigits() {
        Fill(0, {"a"});
        Fill(10, {"x"});
        Key(Qt::Key_0);
        QCOMPARE(Entries(10), (FilePathList{"x", "a"}));
        QCOMPARE(model().List(10).position(), 1); // the file just sorted
        QVERIFY(!Button(ids::NumberButton(1))->isEnabled());
        Key(Qt::Key_1); // disabled button: nothing
        QVERIFY(Entries(1).empty());
        QCOMPARE(board->groupBox(10)->title(), QString::fromUtf8("分類10(2/2)"));
    }

    void backspaceRightAfterStartDoesNothing() {
        Fill(0, {"a", "b"});
        Key(Qt::Key_Backspace);
        QCOMPARE(Entries(0), (FilePathList{"a", "b"}));
        QCOMPARE(model().lastTouchedList(), 0);
    }

    void moveOneButtonOnAnEmptyListDoesNothing() {
        Fill(0, {"a"});
        board->RunCommand(ids::MoveOne(3));
        QCOMPARE(Entries(0), (FilePathList{"a"}));
        QCOMPARE(model().lastTouchedList(), 0);
    }

    void moveAllReturnsAListBehindTheUnclassifiedEntries() {
        Fill(0, {"a", "b", "c"}, 1);
        Fill(4, {"x", "y"}, 1);
        QTest::mouseClick(Button(ids::MoveAll(4)), Qt::LeftButton);
        QCOMPARE(Entries(0), (FilePathList{"a", "b", "c", "x", "y"}));
        QCOMPARE(model().List(0).position(), 1);
        QVERIFY(Entries(4).empty());
        QCOMPARE(model().List(4).position(), 0);
        QCOMPARE(model().lastTouchedList(), 0); // the plain form leaves it
    }

    void shiftMoveAllTakesTheUnclassifiedList() {
        Fill(0, {"a", "b"});
        Fill(4, {"x", "y"}, 1);
        QTest::mouseClick(Button(ids::MoveAll(4)), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(Entries(4), (FilePathList{"x", "y", "a", "b"}));
        QCOMPARE(model().List(4).position(), 1);
        QVERIFY(Entries(0).empty());
        QCOMPARE(model().lastTouchedList(), 4);
        Key(Qt::Key_Backspace);
        QCOMPARE(Entries(0), (FilePathList{"y"}));
        QVERIFY(Button(ids::NumberButton(1))->isEnabled());
    }

    void aLongListPassedWholeArrivesInOrderAndComesBackOnUndo() {
        // Long enough to be copied on a thread of its own.
        FilePathList many;
        for (int i = 0; i < 60'000; ++i)
            many.push_back("/p/" + std::to_string(i));
        Fill(0, many, 5);
        Fill(4, {"x"});
        QTest::mouseClick(Button(ids::MoveAll(4)), Qt::LeftButton, Qt::ShiftModifier);
        QVERIFY(Entries(0).empty());
        QCOMPARE(model().List(4).Count(), 60'001);
        QCOMPARE(model().List(4).At(1), many.front());
        QCOMPARE(model().List(4).At(60'000), many.back());
        QCOMPARE(board->groupBox(4)->title(), QString::fromUtf8("分類4(1/60001)"));
        board->RunCommand(menu_ids::kUndo);
        QCOMPARE(Entries(0), many);
        QCOMPARE(Entries(4), FilePathList{"x"});
    }

    void shiftDigitTogglesTheEnlargeWindowAndMovesNothing() {
        Fill(0, {"a", "b"});
        Fill(7, {"q"});
        Key(Qt::Key_7, Qt::ShiftModifier);
        QCOMPARE(board->viewer().ShownList(), 7);
        QCOMPARE(Entries(0), (FilePathList{"a", "b"}));
        Key(Qt::Key_Ampersand, Qt::ShiftModifier); // the same key as most layouts report it
        QCOMPARE(board->viewer().ShownList(), -1);
        QCOMPARE(Entries(7), (FilePathList{"q"}));
    }

    void excludeRemovesTheCurrentEntryAndTheLastMakesTheNewLastCurrent() {
        Fill(0, {"a", "b", "c"}, 2);
        QTest::mouseClick(Button(ids::kExclude), Qt::LeftButton);
        QCOMPARE(Entries(0), (FilePathList{"a", "b"}));
        QCOMPARE(model().List(0).position(), 1);
        QCOMPARE(model().lastTouchedList(), 0);
    }

    void shiftDeleteEmptiesTheUnclassifiedListWithoutAsking() {
        const FilePath kept = dir->Write("kept.jpg", "x");
        Fill(0, {kept, "b"});
        Key(Qt::Key_Delete, Qt::ShiftModifier);
        QTRY_VERIFY(Entries(0).empty());
        QVERIFY(prompter.questions.empty());
        QVERIFY(QFileInfo::exists(QString::fromStdString(kept))); // nothing deleted on disk
    }

    void deleteOnAnEmptyListChangesNothing() {
        Key(Qt::Key_Delete);
        QTest::qWait(0);
        QApplication::processEvents();
        QVERIFY(Entries(0).empty());
        QCOMPARE(board->groupBox(0)->title(), QString::fromUtf8("未分類(0/0)"));
    }

    void excludeCaptionFollowsShift() {
        QCOMPARE(Button(ids::kExclude)->text(), QString::fromUtf8("除外"));
        QTest::keyPress(board.get(), Qt::Key_Shift);
        QCOMPARE(Button(ids::kExclude)->text(), QString::fromUtf8("全除外"));
        QTest::keyRelease(board.get(), Qt::Key_Shift);
        QCOMPARE(Button(ids::kExclude)->text(), QString::fromUtf8("除外(&D)"));
    }

    void enterStepsForwardWithoutWrapping() {
        Fill(0, {"a", "b"});
        Key(Qt::Key_Return);
        QCOMPARE(model().List(0).position(), 1);
        Key(Qt::Key_Return);
        QCOMPARE(model().List(0).position(), 1);
        QVERIFY(board->isVisible());
    }

    void heldDigitShowsPreviewsUntilItsReleaseDecodesTheFilesStoppedOn() {
        // Camera-like files: each carries a thumbnail that can stand in for its picture.
        const QByteArray picture = testing::EncodeImage(testing::QuarterMarked(QSize(1200, 800)), "jpeg");
        const QByteArray thumbnail = testing::EncodeImage(testing::QuarterMarked(QSize(160, 120)), "jpeg");
        FilePathList files;
        for (int i = 0; i < 12; ++i) {
            files.push_back(dir->Write(QStringLiteral("camera%1.jpg").arg(i), picture));
            QVERIFY(testing::AddExifThumbnail(files.back(), thumbnail));
        }
        Fill(0, files);
        Key(Qt::Key_Space); // the enlarge window follows the unclassified list
        ImageLoader* loader = ImageLoader::Shared();
        CThumbCtl* unclassified = board->thumbnail(0);
        CThumbCtl* sorted = board->thumbnail(1);
        CThumbCtl* large = board->viewer().window()->thumbnail();
        QTRY_COMPARE(large->showing(), CThumbCtl::Showing::Image);
        QTRY_COMPARE(unclassified->showing(), CThumbCtl::Showing::Image);
        QTRY_COMPARE(loader->pendingCount(), 0);

        // The key goes down, then repeats as the window system sends it: a release and a press,
        // both marked as repeats.
        QTest::simulateEvent(board.get(), true, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"), false);
        for (int i = 0; i < 8; ++i) {
            QTest::simulateEvent(board.get(), false, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"), true);
            QTest::simulateEvent(board.get(), true, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"), true);
            QTest::qWait(5);
        }
        QCOMPARE(Entries(1).size(), std::size_t{9});
        QTRY_COMPARE(loader->pendingCount(), 0);
        QCOMPARE(unclassified->currentFile(), files[9]);
        QCOMPARE(unclassified->showing(), CThumbCtl::Showing::Preview);
        QCOMPARE(large->currentFile(), files[9]);
        QCOMPARE(large->showing(), CThumbCtl::Showing::Preview);
        QCOMPARE(sorted->currentFile(), files[8]);
        QCOMPARE(sorted->showing(), CThumbCtl::Showing::Preview);
        // Past what the first press read ahead, no file was decoded for any of them.
        for (int i = 5; i < 12; ++i) {
            for (const CThumbCtl* pane : {unclassified, large, sorted})
                QVERIFY(!loader->isCached(files[i], pane->decodeSize()));
        }

        QTest::simulateEvent(board.get(), false, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"), false);
        QTRY_COMPARE(large->showing(), CThumbCtl::Showing::Image);
        QCOMPARE(large->image().size(), ImageLoader::FitSize(QSize(1200, 800), large->decodeSize()));
        QTRY_COMPARE(unclassified->showing(), CThumbCtl::Showing::Image);
        QCOMPARE(unclassified->image().size(), ImageLoader::FitSize(QSize(1200, 800), unclassified->decodeSize()));
        QTRY_COMPARE(sorted->showing(), CThumbCtl::Showing::Image);
        QCOMPARE(sorted->currentFile(), files[8]);
    }

    void spaceTwiceOpensAndClosesTheEnlargeWindowAndNeverPressesAButton() {
        Fill(0, {"a", "b"});
        Button(ids::kExclude)->setFocus();
        Key(Qt::Key_Space);
        QCOMPARE(board->viewer().ShownList(), 0);
        QVERIFY(board->viewer().window()->isVisible());
        Button(ids::kExclude)->setFocus();
        Key(Qt::Key_Space);
        QCOMPARE(board->viewer().ShownList(), -1);
        QCOMPARE(Entries(0), (FilePathList{"a", "b"}));
    }

    void letterMnemonicsPressTheUnclassifiedPaneButtons() {
        Fill(0, {"a"});
        Key(Qt::Key_O);
        QCOMPARE(shell.opened, (FilePathList{"a"}));
        Key(Qt::Key_Greater, Qt::ShiftModifier);
        QVERIFY(board->expanded());
    }

    void clearCommands() {
        Fill(0, {"a"});
        Fill(3, {"b"});
        board->RunCommand(menu_ids::kClearUnclassified);
        QVERIFY(Entries(0).empty());
        QCOMPARE(Entries(3), (FilePathList{"b"}));
        QVERIFY(!Button(ids::kExclude)->isEnabled());
        Fill(0, {"c"});
        board->RunCommand(menu_ids::kClearAll);
        QCOMPARE(model().TotalCount(), 0);
        QVERIFY(!Button(ids::NumberButton(1))->isEnabled());
        QVERIFY(!Button(ids::MoveAll(3))->isEnabled());
        QVERIFY(prompter.questions.empty());
    }

    // --- menu states ---
    void menuGreysPerListEntriesAndChecksStates() {
        Fill(0, {"a"});
        Fill(5, {"b"});
        QVERIFY(!Menu(menu_ids::kDeleteFirst + 3)->isEnabled());
        QVERIFY(Menu(menu_ids::kDeleteFirst + 5)->isEnabled());
        QVERIFY(Menu(menu_ids::kDeleteAll)->isEnabled());
        QVERIFY(Menu(menu_ids::kMoveToFolderFirst)->isEnabled());
        QVERIFY(Menu(menu_ids::kClearAll)->isEnabled());
        QVERIFY(Menu(menu_ids::kAddFolder)->isEnabled());
        QGuiApplication::clipboard()->clear();
        QVERIFY(!Menu(menu_ids::kFromClipboard)->isEnabled());
        QGuiApplication::clipboard()->setText("a");
        QVERIFY(Menu(menu_ids::kFromClipboard)->isEnabled());
        QVERIFY(!Menu(menu_ids::kExpand)->isChecked());
        board->ToggleExpand();
        QVERIFY(Menu(menu_ids::kExpand)->isChecked());
        QVERIFY(!Menu(menu_ids::kCloseEnlarge)->isEnabled());
        board->EnlargeCommand(5);
        QVERIFY(Menu(menu_ids::kEnlargeFirst + 5)->isChecked());
        QVERIFY(!Menu(menu_ids::kEnlargeFirst)->isChecked());
        QVERIFY(Menu(menu_ids::kCloseEnlarge)->isEnabled());
        Menu(menu_ids::kCloseEnlarge)->trigger();
        QCOMPARE(board->viewer().ShownList(), -1);
        board->setApplyExtensionFilter(true);
        QVERIFY(Menu(menu_ids::kApplyExtensionFilter)->isChecked());
        board->setApplyExtensionFilter(false);
        QVERIFY(!Menu(menu_ids::kApplyExtensionFilter)->isChecked());

        // With every command present, each entry is grey by its own rule alone.
        board->commands().Add(0, 99999, [](int) {});
        using namespace menu_ids;
        for (int first : {kMoveToFolderFirst, kMoveToListFirst, kToClipboardFirst, kDeleteFirst}) {
            QVERIFY(!Menu(first + 3)->isEnabled());
            QVERIFY(Menu(first + 5)->isEnabled());
        }
        QVERIFY(Menu(kDeleteAll)->isEnabled());
        QVERIFY(Menu(kSaveWorkState)->isEnabled());
        QVERIFY(!Menu(kCloseEnlarge)->isEnabled());
        model().List(0).Clear();
        model().List(5).Clear();
        QVERIFY(!Menu(kDeleteAll)->isEnabled());
        QVERIFY(!Menu(kSaveWorkState)->isEnabled());
    }

    void undoAndRedoTakeEveryChangeBackByKeyAndMenu() {
        Fill(0, {"a", "b", "c"}, 1);
        Fill(3, {"x"});
        QVERIFY(!Menu(menu_ids::kUndo)->isEnabled());
        QVERIFY(!Menu(menu_ids::kRedo)->isEnabled());
        Key(Qt::Key_2);
        Key(Qt::Key_Return); // stepping is no change of its own
        Menu(menu_ids::kClearAll)->trigger();
        QVERIFY(!Button(ids::MoveAll(2))->isEnabled());

        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Entries(0), (FilePathList{"a", "c"}));
        QCOMPARE(model().List(0).position(), 1);
        QCOMPARE(Entries(2), (FilePathList{"b"}));
        QCOMPARE(Entries(3), (FilePathList{"x"}));
        QVERIFY(Button(ids::MoveAll(2))->isEnabled());
        QCOMPARE(board->groupBox(2)->title(), QString::fromUtf8("分類2(1/1)"));
        Menu(menu_ids::kUndo)->trigger();
        QCOMPARE(Entries(0), (FilePathList{"a", "b", "c"}));
        QCOMPARE(model().List(0).position(), 1);
        QVERIFY(Entries(2).empty());
        QCOMPARE(model().lastTouchedList(), 0);
        QVERIFY(!Menu(menu_ids::kUndo)->isEnabled());

        Key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Entries(2), (FilePathList{"b"}));
        QCOMPARE(model().lastTouchedList(), 2);
        Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(model().TotalCount(), 0);
        QVERIFY(!Menu(menu_ids::kRedo)->isEnabled());

        // Backspace is a change like any other, and a new change ends what could be done again.
        Key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(Menu(menu_ids::kRedo)->isEnabled());
        Key(Qt::Key_Backspace);
        QCOMPARE(Entries(0), (FilePathList{"a", "b", "c"}));
        QVERIFY(!Menu(menu_ids::kRedo)->isEnabled());
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Entries(2), (FilePathList{"b"}));
        QCOMPARE(Entries(0), (FilePathList{"a", "c"}));
    }

    void rawJpegPairsIsACheckEntryWrittenToTheSettings() {
        QVERIFY(!Menu(menu_ids::kRawJpegPairs)->isChecked());
        Menu(menu_ids::kRawJpegPairs)->trigger();
        QVERIFY(board->settings().IntakePairs());
        QVERIFY(Menu(menu_ids::kRawJpegPairs)->isChecked());
        Menu(menu_ids::kRawJpegPairs)->trigger();
        QCOMPARE(board->settings().profile().ReadText("INTAKE", "PAIRS", ""), std::string("0"));
    }

    void menuEnlargeEntriesRunTheEnlargeCommand() {
        Fill(2, {"y", "z"}, 1);
        Menu(menu_ids::kEnlargeFirst + 2)->trigger();
        QCOMPARE(board->viewer().window()->currentPath(), FilePath("z"));
        QCOMPARE(board->viewer().window()->windowTitle(), QString::fromUtf8("拡大ウィンドウ（分類2）"));
    }

    void everyMenuEntryRunsTheCommandOfItsOwnId() {
        std::vector<int> ran;
        board->commands().Add(0, 99999, [&ran](int id) { ran.push_back(id); });
        std::vector<int> listed;
        int separators = 0;
        std::function<void(const std::vector<MenuEntry>&)> flatten = [&](const std::vector<MenuEntry>& entries) {
            for (const MenuEntry& entry : entries) {
                if (entry.IsSubmenu())
                    flatten(entry.children);
                else if (entry.IsSeparator())
                    ++separators;
                else
                    listed.push_back(entry.id);
            }
        };
        flatten(BoardMenu());
        QStringList titles;
        std::function<void(QMenu*)> triggerAll = [&](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                if (action->menu()) {
                    triggerAll(action->menu());
                } else if (!action->isSeparator()) {
                    action->setEnabled(true);
                    action->trigger();
                }
            }
        };
        for (QAction* top : board->menuBar()->actions()) {
            titles << top->text();
            triggerAll(top->menu());
        }
        QCOMPARE(titles, (QStringList{"ファイル(&F)", "編集(&E)", "ツール(&T)", "表示(&V)", "ヘルプ(&H)"}));
        QCOMPARE(ran, listed);
        QCOMPARE(separators, 11);
    }

    // --- help ---
    void helpContentsOpenInTheBrowserAndF1ShowsTheControlsTopic() {
        const FilePath help = dir->Write("help.html", QString::fromUtf8("<html><body><a id=\"board\"></a><h2>盤</h2>"
                                                                        "<a id=\"1005\"></a><h3>除外の説明</h3>"
                                                                        "</body></html>")
                                                          .toUtf8());
        board->setHelpPath(QString::fromStdString(help));
        board->RunCommand(menu_ids::kHelpContents);
        QCOMPARE(shell.browsed, (FilePathList{help}));
        Button(ids::kExclude)->setFocus();
        QCursor::setPos(QPoint(-1000, -1000)); // nothing of the board under the mouse
        Key(Qt::Key_F1);
        QWidget* popup = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->inherits("QWhatsThat"))
                popup = widget;
        }
        QVERIFY(popup);
    }

    // --- closing ---
    void escWithOnlyUnclassifiedEntriesClosesWithoutAsking() {
        Fill(0, {"a"});
        Key(Qt::Key_Escape);
        QVERIFY(prompter.questions.empty());
        QCOMPARE(board->result(), int(QDialog::Rejected));
        QVERIFY(!board->isVisible());
    }

    void escWithASortedListAsksAndNoKeepsEverything() {
        Fill(10, {"a"});
        prompter.answers = {PromptAnswer::No};
        Key(Qt::Key_Escape);
        QCOMPARE(prompter.questions.size(), 1u);
        QCOMPARE(prompter.questions[0].text,
                 QString::fromUtf8("分類済みリストが保存されていません。\r\n終了してもよろしいですか？"));
        QCOMPARE(prompter.questions[0].buttons, PromptButtons::YesNo);
        QCOMPARE(prompter.questions[0].icon, PromptIcon::Exclamation);
        QVERIFY(board->isVisible());
        QCOMPARE(Entries(10), (FilePathList{"a"}));
        prompter.answers = {PromptAnswer::Yes};
        QTest::mouseClick(Button(ids::kCancel), Qt::LeftButton);
        QVERIFY(!board->isVisible());
    }

    void firstEscOnlyHidesTheEnlargeWindow() {
        Fill(1, {"a"});
        board->EnlargeCommand(1);
        Key(Qt::Key_Escape);
        QVERIFY(board->isVisible());
        QCOMPARE(board->viewer().ShownList(), -1);
        QVERIFY(prompter.questions.empty());
        prompter.answers = {PromptAnswer::No};
        Key(Qt::Key_Escape);
        QCOMPARE(prompter.questions.size(), 1u);
    }

    void exitAndCloseBoxHideTheEnlargeWindowAndAskAtOnce() {
        Fill(1, {"a"});
        board->EnlargeCommand(1);
        prompter.answers = {PromptAnswer::No};
        board->RunCommand(menu_ids::kExit);
        QCOMPARE(prompter.questions.size(), 1u);
        QCOMPARE(board->viewer().ShownList(), -1);
        board->EnlargeCommand(1);
        prompter.answers = {PromptAnswer::Yes};
        board->close();
        QCOMPARE(prompter.questions.size(), 2u);
        QVERIFY(!board->isVisible());
    }
};

QTEST_MAIN(SortingTest)
#include "tst_sorting.moc"
