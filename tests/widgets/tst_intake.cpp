#include "board/ui/board_menu_bar.h"
#include "board/ui/classify_board_dialog.h"
#include "disposal/ui/destination_dialog.h"
#include "intake/ui/extension_filter_dialog.h"
#include "intake/ui/intake_commands.h"
#include "platform/ui/stoppable_progress.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "resources/strings.h"
#include "support/board_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <unistd.h>
#include <utility>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;

// The roads in, driven through the real board: file dialog, folder, drop, and the filter dialog.
class IntakeTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;
    std::unique_ptr<pelldrake::testing::TempDir>& dir = fixture.dir;
    pelldrake::testing::ScriptedPrompter& prompter = fixture.prompter;
    std::unique_ptr<ClassifyBoardDialog>& board = fixture.board;

    SettingsFile Settings() const { return fixture.Settings(); }
    FilePathList Entries(ListIndex list) const { return fixture.Entries(list); }
    FilePath Make(const QString& relative) { return dir->Write(relative, "data"); }
    // The clipboard submenu goes through the destination dialog, preset to the clipboard.
    void ExportThroughDialog(int id) {
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<DestinationDialog*>(QApplication::activeModalWidget());
            qobject_cast<QAbstractButton*>(dialog->control(ids::kOk))->click();
        });
        board->RunCommand(id);
    }
    QPoint CentreOf(ListIndex list) {
        QGroupBox* frame = board->groupBox(list);
        return frame->mapToGlobal(frame->rect().center());
    }
    QString Folder(const QString& relative) { return dir->FilePath(relative); }
    // A drop of the files on a pane as the window system delivers it; true when it was taken.
    bool RealDrop(const FilePathList& paths, ListIndex list) {
        QMimeData data;
        QList<QUrl> urls;
        for (const FilePath& path : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        data.setUrls(urls);
        const QPoint at = board->mapFromGlobal(CentreOf(list));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(board.get(), &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(board.get(), &drop);
        return enter.isAccepted() || drop.isAccepted();
    }
    FilePath Native(const QString& relative) { return dir->Native(relative); }

private slots:
    void init() { fixture.Reset(); }
    void cleanup() { board.reset(); }

    // --- the filter dialog ---
    void dialogOpensSortedAndAddsChangesDeletes() {
        Settings().profile().WriteText("EXTFILTER", "COUNT", "3");
        Settings().profile().WriteText("EXTFILTER", "EXT00", "png");
        Settings().profile().WriteText("EXTFILTER", "EXT01", "JPG");
        Settings().profile().WriteText("EXTFILTER", "EXT02", "bmp");
        ExtensionFilterDialog dialog(Settings());
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("拡張子フィルタ"));
        QCOMPARE(dialog.Rows(), (QStringList{"bmp", "JPG", "png"}));
        dialog.edit()->setText("gif");
        dialog.Add();
        QCOMPARE(dialog.Rows(), (QStringList{"bmp", "gif", "JPG", "png"}));
        QVERIFY(dialog.edit()->text().isEmpty());
        dialog.list()->setCurrentRow(0); // selecting copies the row into the edit box
        QCOMPARE(dialog.edit()->text(), QStringLiteral("bmp"));
        dialog.edit()->setText("zzz");
        dialog.Change(); // takes the old row's place, no re-sorting
        QCOMPARE(dialog.Rows(), (QStringList{"zzz", "gif", "JPG", "png"}));
        QVERIFY(dialog.list()->selectedItems().isEmpty()); // a second change cannot hit it again
        dialog.list()->setCurrentRow(2);
        dialog.edit()->setText("kept");
        dialog.Delete();
        dialog.Delete(); // nothing is selected any more
        QCOMPARE(dialog.Rows(), (QStringList{"zzz", "gif", "png"}));
        QCOMPARE(dialog.edit()->text(), QStringLiteral("kept"));
        QVERIFY(dialog.list()->selectedItems().isEmpty());
    }

    void enterWithTextAddsAndStaysThenEnterSaves() {
        ExtensionFilterDialog dialog(Settings());
        dialog.show();
        dialog.edit()->setFocus();
        QTest::keyClicks(dialog.edit(), "bmp");
        QTest::keyClick(dialog.edit(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.Rows(), (QStringList{"bmp"}));
        QTest::keyClicks(dialog.edit(), "gif");
        QTest::keyClick(dialog.edit(), Qt::Key_Return);
        QCOMPARE(dialog.Rows(), (QStringList{"bmp", "gif"}));
        // Enter on the focused "削除(&D)" deletes the selected row and leaves the dialog open.
        dialog.list()->setCurrentRow(0);
        dialog.list()->setFocus();
        while (dialog.focusWidget() != dialog.control(1233) && dialog.focusWidget() != dialog.edit())
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
        QCOMPARE(dialog.focusWidget(), dialog.control(1233));
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.Rows(), (QStringList{"gif"}));
        dialog.edit()->clear();
        dialog.edit()->setFocus();
        QTest::keyClick(dialog.edit(), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Settings().ExtFilterCount(), 1);
        QCOMPARE(Settings().ExtFilterPattern(0), std::string("gif"));
    }

    void patternWithLineBreaksIsRefusedWithAMessage() {
        ExtensionFilterDialog dialog(Settings(), nullptr, &prompter);
        dialog.show();
        dialog.edit()->setText("jpg\n[VIEWER]\nDELTHUMBDB=1\nTHUMBDBNAME=keep.jpg");
        prompter.answers.push_back(PromptAnswer::Ok);
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.Rows().isEmpty());
        QCOMPARE(prompter.questions.size(), std::size_t{1});
        QCOMPARE(prompter.questions[0].text, QString::fromUtf8(strings::kPatternControlCharacterRefused));
        dialog.edit()->clear();
        dialog.accept();
        QCOMPARE(Settings().DeleteThumbDb(), 0);
        QCOMPARE(Settings().ThumbDbName(), std::string("thumbs.db"));
    }

    void okTrimsSkipsEmptyRowsAndCancelWritesNothing() {
        {
            ExtensionFilterDialog dialog(Settings());
            dialog.edit()->setText("  png ");
            dialog.Add();
            dialog.edit()->setText("");
            dialog.Add(); // an empty row, added as typed
            QCOMPARE(dialog.list()->count(), 2);
            dialog.accept();
        }
        QCOMPARE(Settings().ExtFilterCount(), 1);
        QCOMPARE(Settings().ExtFilterPattern(0), std::string("png"));
        const QByteArray before = dir->Read("p.INI");
        ExtensionFilterDialog dialog(Settings());
        dialog.edit()->setText("tif");
        dialog.Add();
        dialog.reject();
        QCOMPARE(dir->Read("p.INI"), before);
    }

    void toggleCommandFlipsTheSwitchAndItsCheckMark() {
        board->setApplyExtensionFilter(false);
        QAction* toggle = board->boardMenu()->action(menu_ids::kApplyExtensionFilter);
        board->RunCommand(menu_ids::kApplyExtensionFilter);
        QVERIFY(board->applyExtensionFilter());
        board->boardMenu()->UpdateStates();
        QVERIFY(toggle->isEnabled());
        QVERIFY(toggle->isChecked());
        board->RunCommand(menu_ids::kApplyExtensionFilter);
        board->boardMenu()->UpdateStates();
        QVERIFY(!toggle->isChecked());
        QVERIFY(!Settings().profile().ReadText("EXTFILTER", "ENABLE", "").size()); // written only at the end
    }

    // --- open-file dialog ---
    void openFileDialogOffersTheTypesInOrderAndBypassesTheFilter() {
        Settings().profile().WriteText("EXTFILTER", "COUNT", "2");
        Settings().profile().WriteText("EXTFILTER", "EXT00", "jpg");
        Settings().profile().WriteText("EXTFILTER", "EXT01", "png");
        board->setApplyExtensionFilter(true);
        const FilePath a = Make("a.jpg");
        const FilePath d = Make("d");
        prompter.openFilesAnswer = FilePathList{a, d, a};
        board->RunCommand(menu_ids::kAddFiles);
        QCOMPARE(prompter.fileTypes.size(), 3u);
        QCOMPARE(prompter.fileTypes[0].label, QString::fromUtf8("拡張子フィルタ"));
        QCOMPARE(prompter.fileTypes[0].patterns, QStringLiteral("*.jpg;*.png"));
        QCOMPARE(prompter.fileTypes[1].label, QString::fromUtf8("画像ファイル(JPEG/GIF/PNG/BMP)"));
        QCOMPARE(prompter.fileTypes[1].patterns,
                 QStringLiteral("*.jpg;*.jpeg;*.gif;*.png;*.bmp;*.heic;*.heif;*.avif;*.jxl"));
        QCOMPARE(prompter.fileTypes[2].label, QString::fromUtf8("全てのファイル(*.*)"));
        QCOMPARE(Entries(0), (FilePathList{a, d}));
    }

    void openFileDialogWithoutPatternsStartsWithImages() {
        prompter.openFilesAnswer = std::nullopt; // cancelled
        board->RunCommand(menu_ids::kAddFiles);
        QCOMPARE(prompter.fileTypes.size(), 2u);
        QCOMPARE(prompter.fileTypes[0].label, QString::fromUtf8("画像ファイル(JPEG/GIF/PNG/BMP)"));
        QVERIFY(Entries(0).empty());
    }

    void thumbnailCacheRuleHoldsOnEveryRoad() {
        Settings().profile().WriteText("VIEWER", "DELTHUMBDB", "1");
        const FilePath picked = Make("pick/Thumbs.db");
        prompter.openFilesAnswer = FilePathList{picked};
        board->RunCommand(menu_ids::kAddFiles);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(picked)));
        const FilePath scanned = Make("scan/thumbs.DB");
        const FilePath photo = Make("scan/p.jpg");
        prompter.folderAnswer = Native("scan");
        prompter.answers = {PromptAnswer::No};
        board->RunCommand(menu_ids::kAddFolder);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(scanned)));
        const FilePath dropped = Make("drop/thumbs.db");
        board->DropFiles({dropped}, QPoint(-5000, -5000));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(dropped)));
        QCOMPARE(Entries(0), (FilePathList{photo}));
    }

    // --- add folder ---
    void addFolderAsksForSubfoldersAndRemembersTheFolder() {
        const FilePath top = Make("pics/a.jpg");
        const FilePath deep = Make("pics/sub/b.jpg");
        Make("pics/.hidden/c.jpg");
        const FilePath dotFile = Make("pics/.d.jpg");
        Make("pics/filtered.txt");
        Settings().profile().WriteText("EXTFILTER", "COUNT", "1");
        Settings().profile().WriteText("EXTFILTER", "EXT00", "jpg");
        board->setApplyExtensionFilter(true);
        prompter.folderAnswer = Native("pics");
        prompter.answers = {PromptAnswer::No};
        board->RunCommand(menu_ids::kAddFolder);
        QCOMPARE(prompter.questions.back().text, QString::fromUtf8("サブフォルダも対象にしますか？"));
        QCOMPARE(prompter.questions.back().icon, PromptIcon::Question);
        FilePathList added = Entries(0);
        std::sort(added.begin(), added.end());
        QCOMPARE(added, (FilePathList{dotFile, top}));
        QCOMPARE(prompter.folderInitials.back(), FilePath());
        QCOMPARE(prompter.folderTitles.back(), QString::fromUtf8("追加するファイルのあるフォルダを指定してください"));

        prompter.answers = {PromptAnswer::Yes};
        board->RunCommand(menu_ids::kAddFolder);
        QCOMPARE(prompter.folderInitials.back(), Native("pics"));
        QCOMPARE(board->board().List(0).Count(), 3); // the duplicates stay out
        QVERIFY(board->board().List(0).Entries()[2] == deep);
    }

    void addFolderCancelledChangesNothing() {
        const QString before = QDir::currentPath();
        Settings().profile().WriteText("DIRECTORY", "USECURRENT", "1");
        prompter.folderAnswer = std::nullopt;
        board->RunCommand(menu_ids::kAddFolder);
        QVERIFY(prompter.questions.empty());
        QCOMPARE(QDir::currentPath(), before);
        QCOMPARE(prompter.folderInitials.back(), QFile::encodeName(before).toStdString());
    }

    void addFolderWithUseCurrentMakesItTheCurrentDirectory() {
        const QString before = QDir::currentPath();
        Make("cwd/x.jpg");
        Settings().profile().WriteText("DIRECTORY", "USECURRENT", "1");
        prompter.folderAnswer = Native("cwd");
        prompter.answers = {PromptAnswer::No};
        board->RunCommand(menu_ids::kAddFolder);
        QCOMPARE(QDir::currentPath(), Folder("cwd"));
        QDir::setCurrent(before);
        QCOMPARE(board->board().List(0).Count(), 1);
    }

    void addingKeepsTheCurrentFileOfANonEmptyList() {
        for (int i = 0; i < 6; ++i)
            board->board().List(0).Append(Make(QStringLiteral("old/%1.jpg").arg(i)));
        board->board().ResyncPane(0, 4);
        prompter.folderAnswer = Native("new");
        Make("new/n.jpg");
        prompter.answers = {PromptAnswer::No};
        board->RunCommand(menu_ids::kAddFolder);
        QCOMPARE(board->board().List(0).Count(), 7);
        QCOMPARE(board->board().List(0).position(), 4);
        QCOMPARE(board->groupBox(0)->title(), QString::fromUtf8("未分類(5/7)"));
    }

    // --- drops ---
    void threeFoldersNoThenYesThenNoScansTheLastTwoWithoutSubfolders() {
        const FilePath a = Make("f1/a.jpg");
        const FilePath b = Make("f2/b.jpg");
        Make("f2/sub/deep.jpg");
        const FilePath c = Make("f3/c.jpg");
        prompter.answers = {PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::No};
        board->show();
        board->DropFiles({Native("f1"), Native("f2"), Native("f3")}, CentreOf(0));
        QCOMPARE(prompter.questions.size(), 3u);
        QCOMPARE(prompter.questions[0].text,
                 QString::fromUtf8("フォルダがドロップされました。\r\nフォルダ内のファイルも含めてますか？"));
        QCOMPARE(prompter.questions[1].text, prompter.questions[0].text);
        QCOMPARE(prompter.questions[2].text, QString::fromUtf8("サブフォルダ以下も含めますか？"));
        QCOMPARE(Entries(0), (FilePathList{b, c}));
        Q_UNUSED(a);
    }

    void dropOnPaneTenAnsweredNoGoesToTheUnclassifiedList() {
        const FilePath file = Make("x.jpg");
        board->show();
        board->ToggleExpand();
        prompter.answers = {PromptAnswer::No};
        board->DropFiles({file}, CentreOf(10));
        QCOMPARE(prompter.questions.size(), 1u);
        QCOMPARE(prompter.questions[0].text,
                 QString::fromUtf8(
                     "分類リスト10にファイルを追加しますか？\r\n「いいえ」を選ぶと未分類リストに追加されます。"));
        QCOMPARE(Entries(0), (FilePathList{file}));
        QVERIFY(Entries(10).empty());
    }

    void dropOnAPaneAnsweredYesGoesToThatList() {
        const FilePath file = Make("y.jpg");
        board->show();
        prompter.answers = {PromptAnswer::Yes};
        board->DropFiles({file}, CentreOf(3));
        QCOMPARE(Entries(3), (FilePathList{file}));
        QVERIFY(board->control(ids::MoveAll(3))->isEnabled());
    }

    void dropOfRefusedOrStoppedFoldersAddsNothing() {
        Make("r1/a.jpg");
        Make("r2/b.jpg");
        board->show();
        prompter.answers = {PromptAnswer::No, PromptAnswer::No};
        board->DropFiles({Native("r1"), Native("r2"), Native("missing")}, CentreOf(4));
        QCOMPARE(prompter.questions.size(), 2u);
        QCOMPARE(board->board().TotalCount(), 0);

        // A scan still running after half a second shows "中止"; Esc there stops it and nothing of
        // it is kept. The time the first question stays open stands for a large tree.
        QElapsedTimer running;
        bool waited = false;
        prompter.whileAsking = [&] {
            if (!std::exchange(waited, true))
                QTRY_VERIFY(running.elapsed() > StoppableProgress::kShowAfterMs);
        };
        QString stopCaption;
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!box)
                return;
            stopper.stop();
            stopCaption = box->findChild<QPushButton*>()->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        stopper.start(0);
        prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
        running.start();
        board->DropFiles({Native("r1")}, CentreOf(0));
        prompter.whileAsking = nullptr;
        QCOMPARE(stopCaption, QString::fromUtf8("中止"));
        QCOMPARE(board->board().TotalCount(), 0);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void fileAlreadyInAListIsNotDroppedTwice() {
        const FilePath file = Make("z.jpg");
        board->board().List(3).Append(file);
        board->show();
        board->DropFiles({file}, CentreOf(0));
        QVERIFY(Entries(0).empty());
        QCOMPARE(Entries(3), (FilePathList{file}));
    }

    void realDropEventKeepsNamesThatAreNotUtf8() {
        const QByteArray rawName = QByteArray("bad\xff\xfe") + ".jpg";
        const FilePath path = (QFile::encodeName(dir->path()) + "/" + rawName).toStdString();
        FILE* file = std::fopen(path.c_str(), "w");
        QVERIFY(file);
        std::fclose(file);
        board->show();
        QMimeData data;
        data.setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"))});
        const QPoint at = board->mapFromGlobal(CentreOf(0));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(board.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(board.get(), &drop);
        const FilePathList added = Entries(0);
        ::unlink(path.c_str()); // the temporary folder cannot name it to remove it
        QCOMPARE(added, (FilePathList{path}));
    }

    void noCommandNorDropStartsWhileALoadAnIntakeOrADisposalRuns() {
        // Each run below asks a question; while it is open a drop and a paste arrive, as they
        // can while a run repaints. Both are refused and nothing reaches the lists.
        const FilePath late = Make("late.jpg");
        const FilePath a = Make("a.jpg");
        const FilePath b = Make("folder/b.jpg");
        Make("to/a.jpg");
        board->show();
        QGuiApplication::clipboard()->setText(QString::fromStdString(late) + "\r\n");
        int delivered = 0;
        prompter.whileAsking = [&] {
            ++delivered;
            QVERIFY(!RealDrop({late}, 0));
            board->RunCommand(menu_ids::kFromClipboard);
        };

        // A load that meets a missing file.
        const FilePath state =
            dir->Write("work.PLD", QByteArray::fromStdString("PelldrakeData\r\n%\r\n*section\r\n2\r\n" +
                                                             Native("gone.jpg") + "\r\n" + a + "\r\n"));
        prompter.openAnswer = state;
        prompter.answers = {PromptAnswer::Yes};
        board->RunCommand(menu_ids::kLoadWorkState);
        QCOMPARE(Entries(2), FilePathList{a});

        // A dropped folder: take it?, its subfolders?
        prompter.answers = {PromptAnswer::Yes, PromptAnswer::No};
        QVERIFY(RealDrop({Native("folder")}, 0));
        QCOMPARE(Entries(0), FilePathList{b});

        // A move of list 2 into a folder that holds its file: overwrite? No.
        QTimer::singleShot(0, this, [this] {
            auto* dialog = qobject_cast<DestinationDialog*>(QApplication::activeModalWidget());
            qobject_cast<QComboBox*>(dialog->control(destination_ids::kFolder))->setEditText(Folder("to"));
            qobject_cast<QAbstractButton*>(dialog->control(ids::kOk))->click();
        });
        prompter.answers = {PromptAnswer::No};
        board->RunCommand(menu_ids::kMoveToFolderFirst + 2);
        prompter.whileAsking = nullptr;

        QCOMPARE(delivered, 4);
        QCOMPARE(Entries(0), FilePathList{b});
        QCOMPARE(board->board().TotalCount(), 1);
        QVERIFY(QFileInfo::exists(QString::fromStdString(a)));
    }

    void everyQuestionOfATypicalRunIsCaptionedWithTheProgramsName() {
        QVERIFY(!ApplicationTitle().isEmpty());
        Make("added/a.jpg");
        Make("dropped/b.jpg");
        board->show();
        prompter.folderAnswer = Native("added");
        // Subfolders?, the dropped folder?, its subfolders?, into list 3?, empty list 3 after the
        // copy?, close unsaved?
        prompter.answers = {PromptAnswer::No,  PromptAnswer::Yes, PromptAnswer::No,
                            PromptAnswer::Yes, PromptAnswer::No,  PromptAnswer::Yes};
        board->RunCommand(menu_ids::kAddFolder);
        board->DropFiles({Native("dropped")}, CentreOf(3));
        ExportThroughDialog(menu_ids::kToClipboardFirst + 3);
        board->close();
        QCOMPARE(prompter.questions.size(), 6u);
        for (const auto& question : prompter.questions)
            QCOMPARE(question.title, ApplicationTitle());
    }

    void clipboardEntriesExportAListAndPasteItBack() {
        using namespace menu_ids;
        QGuiApplication::clipboard()->clear();
        const FilePathList files{Make("a.jpg"), Make("b.jpg")};
        pelldrake::testing::Fill(*board, 3, files);
        auto enabled = [this](int id) {
            board->boardMenu()->UpdateStates();
            return board->boardMenu()->action(id)->isEnabled();
        };
        QVERIFY(enabled(kToClipboardFirst + 3));
        QVERIFY(!enabled(kToClipboardFirst + 4)); // list 4 is empty
        QVERIFY(!enabled(kFromClipboard));

        prompter.answers = {PromptAnswer::No, PromptAnswer::Yes};
        ExportThroughDialog(kToClipboardFirst + 3);
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data("text/plain").toStdString(),
                 files[0] + "\r\n" + files[1] + "\r\n");
        QVERIFY(enabled(kFromClipboard));
        board->RunCommand(kFromClipboard);
        QVERIFY(Entries(0).empty()); // every file is on the board already
        ExportThroughDialog(kToClipboardFirst + 3);
        QVERIFY(!enabled(kToClipboardFirst + 3));
        board->RunCommand(kFromClipboard);
        QCOMPARE(Entries(0), files);

        auto* fileManagerCopy = new QMimeData;
        fileManagerCopy->setData("x-special/gnome-copied-files", "copy\nfile:///tmp");
        QGuiApplication::clipboard()->setMimeData(fileManagerCopy);
        QVERIFY(enabled(kFromClipboard));
    }
};

QTEST_MAIN(IntakeTest)
#include "tst_intake.moc"
