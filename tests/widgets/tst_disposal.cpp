#include "board/ui/board_menu_bar.h"
#include "disposal/ui/destination_dialog.h"
#include "disposal/ui/disposal_commands.h"
#include "intake/add_files.h"
#include "platform/ui/stoppable_progress.h"
#include "platform/worker_run.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "support/board_fixture.h"
#include "support/faulty_file_system.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

using namespace pelldrake;
using namespace pelldrake::testing;
using namespace pelldrake::destination_ids;

class DisposalTest : public QObject {
    Q_OBJECT

    FaultyFileSystem fileSystem_;
    std::unique_ptr<TempDir> dir_;

    static bool Checked(const DestinationDialog& dialog, int id) {
        return qobject_cast<QAbstractButton*>(dialog.control(id))->isChecked();
    }

    // Moves the focus with Tab until the control has it, as a user would.
    static void TabTo(DestinationDialog& dialog, int id) {
        for (int i = 0; i < 20 && dialog.focusWidget() != dialog.control(id); ++i)
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
        QCOMPARE(dialog.focusWidget(), dialog.control(id));
    }

private slots:
    void init() {
        fileSystem_ = FaultyFileSystem();
        dir_ = std::make_unique<TempDir>();
    }

    // Every road of the dispose commands through the board: the command opens the dialog, clicks
    // and keys choose, the files on disk and the panes show the outcome.
    void boardButtonsAndMenusDisposeOfTheirLists() {
        BoardFixture fixture;
        fixture.Reset();
        auto* disposal = fixture.board->findChild<DisposalCommands*>();
        QVERIFY(disposal);
        disposal->setFileSystem(fileSystem_);
        fileSystem_.trashFolder = dir_->Native(QStringLiteral("trash"));
        QDir(dir_->path()).mkpath(QStringLiteral("trash"));
        QDir(dir_->path()).mkpath(QStringLiteral("to"));
        Board& board = fixture.board->board();
        ClassifyBoardDialog& window = *fixture.board;
        auto files = [&](const QString& prefix, int count) {
            FilePathList paths;
            for (int i = 0; i < count; ++i)
                paths.push_back(dir_->Write(QStringLiteral("from/%1%2.jpg").arg(prefix).arg(i), prefix.toUtf8()));
            return paths;
        };
        auto at = [&](const QString& name) { return QFileInfo::exists(dir_->FilePath(name)); };
        // Runs the command; drive acts on the dialog once it shows.
        auto run = [&](int id, const std::function<void(DestinationDialog&)>& drive) {
            QTimer::singleShot(0, this, [&, drive] {
                DestinationDialog& dialog = disposal->dialog();
                drive(dialog);
            });
            window.RunCommand(id);
        };
        auto click = [](DestinationDialog& dialog, int id) {
            QWidget* button = dialog.control(id);
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        };
        auto typeFolder = [&](DestinationDialog& dialog, const QString& folder) {
            QLineEdit* edit = qobject_cast<QComboBox*>(dialog.control(kFolder))->lineEdit();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClicks(edit, folder);
        };
        const QString to = dir_->FilePath(QStringLiteral("to"));

        // The pane's button opens the dialog; a move empties the list into the folder, and the
        // pane shows the empty list.
        const FilePathList moved = files(QStringLiteral("m"), 2);
        Fill(window, 3, moved);
        QVERIFY(window.control(ids::Dispose(3))->isEnabled());
        QVERIFY(!window.control(ids::Dispose(4))->isEnabled());
        QTimer::singleShot(0, this, [&] {
            DestinationDialog& dialog = disposal->dialog();
            QCOMPARE(dialog.windowTitle(), QString::fromUtf8("分類リスト3の移動先の選択"));
            typeFolder(dialog, to);
            click(dialog, ids::kOk);
        });
        qobject_cast<QAbstractButton*>(window.control(ids::Dispose(3)))->click();
        QCOMPARE(board.List(3).Count(), 0);
        QVERIFY(at(QStringLiteral("to/m0.jpg")) && at(QStringLiteral("to/m1.jpg")) &&
                !at(QStringLiteral("from/m0.jpg")));
        QVERIFY(!window.control(ids::Dispose(3))->isEnabled());
        QCOMPARE(window.groupBox(3)->title(), QString::fromUtf8("分類3(0/0)"));
        QVERIFY(window.thumbnail(3)->currentFile().empty());

        // Undo brings the files back with the list; redo moves them again.
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(board.List(3).Entries(), moved);
        QVERIFY(at(QStringLiteral("from/m0.jpg")) && !at(QStringLiteral("to/m1.jpg")));
        QCOMPARE(window.groupBox(3)->title(), QString::fromUtf8("分類3(1/2)"));
        QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(board.List(3).Count(), 0);
        QVERIFY(at(QStringLiteral("to/m0.jpg")) && !at(QStringLiteral("from/m1.jpg")));

        // Cancel disposes of nothing.
        const FilePathList kept = files(QStringLiteral("k"), 1);
        Fill(window, 3, kept);
        run(ids::Dispose(3), [&](DestinationDialog& dialog) {
            typeFolder(dialog, to);
            click(dialog, ids::kCancel);
        });
        QCOMPARE(board.List(3).Entries(), kept);
        QVERIFY(at(QStringLiteral("from/k0.jpg")) && !at(QStringLiteral("to/k0.jpg")));

        // The delete command opens with delete chosen, and its OK sends the files to the trash.
        Fill(window, 2, files(QStringLiteral("d"), 2));
        bool deleteChosen = false;
        run(menu_ids::kDeleteFirst + 2, [&](DestinationDialog& dialog) {
            deleteChosen = Checked(dialog, kDelete);
            click(dialog, ids::kOk);
        });
        QVERIFY(deleteChosen);
        QCOMPARE(board.List(2).Count(), 0);
        QVERIFY(at(QStringLiteral("trash/d0.jpg")) && at(QStringLiteral("trash/d1.jpg")) &&
                !at(QStringLiteral("from/d0.jpg")));

        // After it, "フォルダに移動" opens with the move chosen; "元のファイルも残す" copies. The
        // overwrite question is asked on the window's thread without the busy cursor, the copy is
        // made under it on a thread of its own.
        const FilePathList copied = files(QStringLiteral("c"), 2);
        dir_->Write(QStringLiteral("to/c1.jpg"), "old");
        Fill(window, 4, copied);
        bool moveChosen = false;
        std::vector<bool> busyWhileCopying;
        std::vector<QThread*> askedOn;
        fileSystem_.beforeTransfer = [&](const FilePath&, const FilePath&) {
            busyWhileCopying.push_back(QGuiApplication::overrideCursor() != nullptr &&
                                       QThread::currentThread() != qApp->thread());
        };
        fixture.prompter.whileAsking = [&] { askedOn.push_back(QThread::currentThread()); };
        fixture.prompter.answers = {PromptAnswer::Yes};
        run(menu_ids::kMoveToFolderFirst + 4, [&](DestinationDialog& dialog) {
            moveChosen = Checked(dialog, kMove);
            typeFolder(dialog, to);
            click(dialog, kKeepSource);
            click(dialog, ids::kOk);
        });
        fileSystem_.beforeTransfer = nullptr;
        fixture.prompter.whileAsking = nullptr;
        QVERIFY(moveChosen);
        QCOMPARE(askedOn, std::vector<QThread*>{qApp->thread()});
        const QString overwrite = QString::fromUtf8(
            "コピー元 %1\r\nコピー先 %2\r\nコピー先に、すでにファイルが存在します。\r\n上書きしますか？");
        QCOMPARE(fixture.prompter.questions.at(0).text,
                 overwrite.arg(QString::fromStdString(copied[1]), dir_->FilePath(QStringLiteral("to/c1.jpg"))));
        QCOMPARE(fixture.prompter.questions[0].icon, PromptIcon::Question);
        QCOMPARE(board.List(4).Count(), 0);
        QCOMPARE(dir_->Read(QStringLiteral("to/c1.jpg")), QByteArray("c"));
        QCOMPARE(dir_->Read(QStringLiteral("trash/c1.jpg")), QByteArray("old"));
        QVERIFY(at(QStringLiteral("from/c0.jpg")) && at(QStringLiteral("from/c1.jpg")) &&
                at(QStringLiteral("to/c0.jpg")));
        QCOMPARE(fixture.prompter.questions.size(), 1u);
        QVERIFY(!fixture.prompter.questions[0].underBusyCursor);
        QVERIFY(!busyWhileCopying.empty() &&
                std::all_of(busyWhileCopying.begin(), busyWhileCopying.end(), [](bool busy) { return busy; }));
        QVERIFY(!QGuiApplication::overrideCursor());
        fixture.prompter.questions.clear();

        // Entries passed on to another list join it; list 5 on to itself changes nothing.
        const FilePathList five = files(QStringLiteral("e"), 2);
        const FilePathList six = files(QStringLiteral("s"), 1);
        Fill(window, 5, five);
        Fill(window, 6, six);
        run(menu_ids::kMoveToListFirst + 5, [&](DestinationDialog& dialog) {
            QVERIFY(!dialog.control(kTarget)->isHidden());
            qobject_cast<QComboBox*>(dialog.control(kTarget))->setCurrentIndex(5);
            click(dialog, ids::kOk);
        });
        QCOMPARE(board.List(5).Entries(), five);
        run(menu_ids::kMoveToListFirst + 5, [&](DestinationDialog& dialog) {
            qobject_cast<QComboBox*>(dialog.control(kTarget))->setCurrentIndex(6);
            click(dialog, ids::kOk);
        });
        QCOMPARE(board.List(5).Count(), 0);
        QCOMPARE(board.List(6).Entries(), FilePathList({six[0], five[0], five[1]}));
        // "除外する" drops the entries from the board; the files stay.
        run(ids::Dispose(6), [&](DestinationDialog& dialog) {
            click(dialog, kReset);
            click(dialog, ids::kOk);
        });
        QCOMPARE(board.List(6).Count(), 0);
        QCOMPARE(board.TotalCount(), 1); // list 3's kept file
        QVERIFY(at(QStringLiteral("from/e0.jpg")) && at(QStringLiteral("from/s0.jpg")));

        // Enter presses the focused button: "参照(&B)" browses, "ｷｬﾝｾﾙ" (with the delete preset
        // on) cancels and nothing goes to the trash; Enter elsewhere would press "実行".
        const FilePathList two = files(QStringLiteral("n"), 1);
        Fill(window, 2, two);
        run(menu_ids::kDeleteFirst + 2, [&](DestinationDialog& dialog) {
            [&] {
                QVERIFY(Checked(dialog, kDelete));
                click(dialog, kMove);
                dialog.control(kFolder)->setFocus();
                typeFolder(dialog, QStringLiteral("typed"));
                TabTo(dialog, kBrowse);
                fixture.prompter.folderAnswer = dir_->Native(QStringLiteral("to"));
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
                QCOMPARE(fixture.prompter.folderInitials, FilePathList{"typed"});
                QCOMPARE(qobject_cast<QComboBox*>(dialog.control(kFolder))->currentText(), to);
                click(dialog, kDelete);
                TabTo(dialog, ids::kCancel);
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
            }();
            if (dialog.isVisible())
                dialog.reject(); // a failed check must not leave the dialog open
        });
        QCOMPARE(fixture.prompter.folderTitles.size(), std::size_t{1});
        QCOMPARE(board.List(2).Entries(), two);
        QVERIFY(at(QStringLiteral("from/n0.jpg")));

        // Delete all sends every file of every list to the trash, the unclassified list's too,
        // without a dialog; a file the trash refuses keeps its entry and is named, and the menu greys
        // only when nothing is left.
        const FilePathList unclassified = files(QStringLiteral("u"), 1);
        const FilePathList seven = files(QStringLiteral("z"), 2);
        Fill(window, kUnclassified, unclassified);
        Fill(window, 7, seven);
        fileSystem_.trashRefuses = {seven[1]};
        BoardMenuBar* menu = window.boardMenu();
        menu->UpdateStates();
        QVERIFY(menu->action(menu_ids::kDeleteAll)->isEnabled() &&
                menu->action(menu_ids::kDeleteFirst + 7)->isEnabled());
        QVERIFY(!menu->action(menu_ids::kDeleteFirst + 6)->isEnabled());
        window.RunCommand(menu_ids::kDeleteAll);
        QCOMPARE(board.List(kUnclassified).Count(), 0);
        QCOMPARE(board.List(7).Entries(), FilePathList({seven[1]}));
        QVERIFY(at(QStringLiteral("trash/u0.jpg")) && at(QStringLiteral("trash/z0.jpg")) &&
                at(QStringLiteral("trash/k0.jpg")));
        QVERIFY(at(QStringLiteral("from/z1.jpg")));
        QCOMPARE(fixture.prompter.questions.size(), 1u);
        QVERIFY(fixture.prompter.questions[0].text.contains(QString::fromStdString(seven[1])));
        QCOMPARE(fixture.prompter.questions[0].icon, PromptIcon::Exclamation);
        QVERIFY(!fixture.prompter.questions[0].underBusyCursor);
        fileSystem_.trashRefuses.clear();
        window.RunCommand(menu_ids::kDeleteAll);
        menu->UpdateStates();
        QVERIFY(!menu->action(menu_ids::kDeleteAll)->isEnabled());
        QCOMPARE(board.TotalCount(), 0);

        // "中止" ends a move after the file it is on: the files still waiting keep their entries, and
        // one undo takes back what was done. A key pressed meanwhile is refused, not kept for later.
        const FilePathList stopped = files(QStringLiteral("h"), 3);
        Fill(window, 8, stopped);
        fileSystem_.beforeTransfer = [&](const FilePath& source, const FilePath&) {
            // A slow first file, long enough for the progress to show.
            if (source == stopped[0])
                std::this_thread::sleep_for(std::chrono::milliseconds(StoppableProgress::kShowAfterMs + 100));
            if (source != stopped[1])
                return;
            OnUserInterfaceThread([&] {
                QTRY_VERIFY(qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()));
                QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
                QWidget* stop = QApplication::activeModalWidget()->findChild<QPushButton*>();
                QTest::mouseClick(stop, Qt::LeftButton, {}, stop->rect().center());
            });
        };
        run(menu_ids::kMoveToFolderFirst + 8, [&](DestinationDialog& dialog) {
            typeFolder(dialog, to);
            if (Checked(dialog, kKeepSource))
                click(dialog, kKeepSource);
            click(dialog, ids::kOk);
        });
        fileSystem_.beforeTransfer = nullptr;
        QCOMPARE(board.List(8).Entries(), FilePathList({stopped[2]}));
        QVERIFY(at(QStringLiteral("to/h0.jpg")) && at(QStringLiteral("to/h1.jpg")) &&
                at(QStringLiteral("from/h2.jpg")));
        window.RunCommand(menu_ids::kUndo);
        QCOMPARE(board.List(8).Entries(), stopped);
        QVERIFY(at(QStringLiteral("from/h0.jpg")) && at(QStringLiteral("from/h1.jpg")) &&
                !at(QStringLiteral("to/h1.jpg")));

        // On a full disk each file answered "はい" is back as pane 0's current file while the next
        // question is open, and one undo takes it back with the move; the unclassified list's own
        // returns wait for the end of its run, none handled twice.
        const FilePathList full = files(QStringLiteral("f"), 3);
        const FilePathList waiting = files(QStringLiteral("w"), 1);
        Fill(window, 5, full);
        Fill(window, kUnclassified, waiting);
        fileSystem_.folderErrors[dir_->Native(QStringLiteral("to"))] = ENOSPC;
        using Behind = std::pair<QString, FilePath>;
        std::vector<Behind> behind;
        fixture.prompter.whileAsking = [&] {
            behind.emplace_back(window.groupBox(kUnclassified)->title(), window.thumbnail(0)->currentFile());
        };
        fixture.prompter.answers.assign(3, PromptAnswer::Yes);
        fixture.prompter.questions.clear();
        run(ids::Dispose(5), [&](DestinationDialog& dialog) { click(dialog, ids::kOk); });
        const QString failed = QString::fromUtf8(
            "コピー元 %1\r\nコピー先 %2\r\nコピーに失敗しました。\r\nこのファイルを未整理リストに戻しますか？");
        QCOMPARE(fixture.prompter.questions.at(0).text,
                 failed.arg(QString::fromStdString(full[0]), dir_->FilePath(QStringLiteral("to/f0.jpg"))));
        QCOMPARE(fixture.prompter.questions[0].icon, PromptIcon::Stop);
        const QString title = QString::fromUtf8("未分類(%1/%1)");
        QCOMPARE(behind,
                 std::vector<Behind>({{title.arg(1), waiting[0]}, {title.arg(2), full[0]}, {title.arg(3), full[1]}}));
        QCOMPARE(board.List(kUnclassified).Entries(), FilePathList({waiting[0], full[0], full[1], full[2]}));
        QCOMPARE(window.groupBox(kUnclassified)->title(), title.arg(4));
        QCOMPARE(board.List(5).Count(), 0);
        window.RunCommand(menu_ids::kUndo);
        QCOMPARE(board.List(kUnclassified).Entries(), waiting);
        QCOMPARE(board.List(5).Entries(), full);
        behind.clear();
        fixture.prompter.answers = {PromptAnswer::Yes};
        run(ids::Dispose(kUnclassified), [&](DestinationDialog& dialog) { click(dialog, ids::kOk); });
        QCOMPARE(behind, std::vector<Behind>({{title.arg(1), waiting[0]}}));
        QCOMPARE(board.List(kUnclassified).Entries(), waiting);
    }

    void aPairIsSettledAtIntakeAndFollowsItsEntryWhateverTheSettingSaysLater() {
        BoardFixture fixture;
        fixture.Reset();
        ClassifyBoardDialog& window = *fixture.board;
        DestinationDialog& dialog = window.findChild<DisposalCommands*>()->dialog();
        window.findChild<DisposalCommands*>()->setFileSystem(fileSystem_);
        fileSystem_.trashFolder = dir_->Native(QStringLiteral("trash"));
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("trash")) && QDir(dir_->path()).mkpath(QStringLiteral("to")));
        auto at = [&](const char* name) { return QFileInfo::exists(dir_->FilePath(QString::fromLatin1(name))); };
        auto from = [&](const char* name) { return dir_->Write(QStringLiteral("from/") + name, name); };
        auto dispose = [&](int id, const QString& folder) {
            QTimer::singleShot(0, this, [&] {
                qobject_cast<QComboBox*>(dialog.control(kFolder))->setEditText(folder);
                qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
            });
            window.RunCommand(id);
        };
        AddFiles(window.board(), window.settings(), false, {from("N.cr2"), from("N.jpg")}, kUnclassified, true);
        QTest::keyClicks(&window, "23");
        window.RunCommand(menu_ids::kRawJpegPairs); // on: the two sorted apart stay two pictures
        dispose(menu_ids::kDeleteFirst + 3, QString());
        QVERIFY(at("trash/N.jpg") && at("from/N.cr2") && window.board().List(2).Count() == 1);
        AddFiles(window.board(), window.settings(), false, {from("P.cr2"), from("P.jpg")}, kUnclassified, true);
        QTest::keyClick(&window, Qt::Key_4);
        window.RunCommand(menu_ids::kRawJpegPairs); // off: the pair taken in with pairs on stays one
        dispose(menu_ids::kMoveToFolderFirst + 4, dir_->FilePath(QStringLiteral("to")));
        QVERIFY(at("to/P.jpg") && at("to/P.cr2") && !at("from/P.cr2"));
    }
};

QTEST_MAIN(DisposalTest)
#include "tst_disposal.moc"