#include "board/ui/board_menu_bar.h"
#include "disposal/ui/destination_dialog.h"
#include "disposal/ui/disposal_commands.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "support/board_fixture.h"
#include "support/faulty_file_system.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace pelldrake;
using namespace pelldrake::testing;
using namespace pelldrake::destination_ids;

class DisposalTest : public QObject {
    Q_OBJECT

    ScriptedPrompter prompter_;
    FaultyFileSystem fileSystem_;
    std::unique_ptr<DestinationDialog> dialog_;
    std::unique_ptr<TempDir> dir_;

    QAbstractButton* Button(int id) const { return qobject_cast<QAbstractButton*>(dialog_->control(id)); }
    QComboBox* Combo(int id) const { return qobject_cast<QComboBox*>(dialog_->control(id)); }
    bool Shown(int id) const { return !dialog_->control(id)->isHidden(); }
    bool Enabled(int id) const { return dialog_->control(id)->isEnabled(); }
    // One press of "実行" with the folder typed in; true when the dialog ended with it.
    bool OkWithFolder(const QString& folder) {
        dialog_->Initialise();
        dialog_->setResult(QDialog::Rejected);
        Combo(kFolder)->setEditText(folder);
        Button(ids::kOk)->click();
        return dialog_->result() == QDialog::Accepted;
    }

    // Moves the focus with Tab until the control has it, as a user would.
    static void TabTo(DestinationDialog& dialog, int id) {
        for (int i = 0; i < 20 && dialog.focusWidget() != dialog.control(id); ++i)
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
        QCOMPARE(dialog.focusWidget(), dialog.control(id));
    }

private slots:
    void init() {
        prompter_ = ScriptedPrompter();
        fileSystem_ = FaultyFileSystem();
        dir_ = std::make_unique<TempDir>();
        dialog_ = std::make_unique<DestinationDialog>(prompter_, fileSystem_);
    }

    void everyControlLiesInTheDialogAndShowsItsWholeCaption() {
        const QRect window(QPoint(0, 0), dialog_->size());
        for (int id : {kDelete, kMove, kFolder, kBrowse, kKeepSource, kReset, kClipboard, kMoveToList, kTarget,
                       ids::kOk, ids::kCancel}) {
            QWidget* control = dialog_->control(id);
            QVERIFY2(window.contains(control->geometry()), qPrintable(QString::number(id)));
            auto* button = qobject_cast<QAbstractButton*>(control);
            if (!button)
                continue;
            const int needed =
                qobject_cast<QPushButton*>(button)
                    ? button->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&'))) + 4
                    : button->sizeHint().width();
            QVERIFY2(needed <= control->width(), qPrintable(QString::number(id)));
        }
    }

    void titlesAndWhichControlsTheChoicesShowAndEnable() {
        dialog_->Prepare(3, DisposePreset::None);
        dialog_->Initialise();
        QCOMPARE(dialog_->windowTitle(), QString::fromUtf8("分類リスト3の移動先の選択"));
        QVERIFY(Shown(kFolder) && Enabled(kFolder) && Enabled(kBrowse) && Enabled(kKeepSource));
        QVERIFY(!Shown(kReset) && !Shown(kTarget));
        Button(kDelete)->click();
        QVERIFY(!Enabled(kFolder) && !Enabled(kBrowse) && !Enabled(kKeepSource));
        Button(kMove)->click();
        QVERIFY(Enabled(kFolder) && Enabled(kBrowse) && Enabled(kKeepSource));

        qobject_cast<QTabBar*>(dialog_->control(kTabs))->setCurrentIndex(1);
        QVERIFY(!Shown(kDelete) && !Shown(kFolder) && Shown(kMoveToList) && Enabled(kTarget));
        Button(kReset)->click();
        QVERIFY(!Enabled(kTarget));

        dialog_->Prepare(kUnclassified, DisposePreset::DeleteFiles);
        dialog_->Initialise();
        QCOMPARE(dialog_->windowTitle(), QString::fromUtf8("未分類リストの移動先の選択"));
        QVERIFY(Shown(kDelete) && Button(kDelete)->isChecked() && !Enabled(kFolder));
    }

    void okReportsTheChoiceOfEachPage() {
        dialog_->Prepare(1, DisposePreset::DeleteFiles);
        QVERIFY(OkWithFolder(dir_->path()));
        QVERIFY(dialog_->Choice().folder.empty());
        QVERIFY(dialog_->history().Folders().empty());

        const std::vector<std::pair<int, int>> radioTargets{{kReset, kTargetReset}, {kClipboard, kTargetClipboard}};
        for (auto [radio, target] : radioTargets) {
            dialog_->Prepare(1, DisposePreset::MoveEntries);
            dialog_->Initialise();
            Button(radio)->click();
            Button(ids::kOk)->click();
            QCOMPARE(dialog_->Choice().target, target);
        }
        dialog_->Prepare(1, DisposePreset::MoveEntries);
        dialog_->Initialise();
        Combo(kTarget)->setCurrentText(QString::fromUtf8("除外する"));
        Button(ids::kOk)->click();
        QCOMPARE(dialog_->Choice().target, kTargetReset);
        QCOMPARE(dialog_->Choice().page, DestinationPage::Entries);
    }

    void folderComboListsTheHistoryNewestFirst() {
        dialog_->Prepare(2, DisposePreset::MoveFiles);
        for (const char* name : {"a", "b", "A"}) {
            QDir(dir_->path()).mkpath(QString::fromUtf8(name));
            QVERIFY(OkWithFolder(dir_->FilePath(QString::fromUtf8(name)) + QStringLiteral("  ")));
        }
        dialog_->Initialise();
        QCOMPARE(Combo(kFolder)->count(), 3);
        QCOMPARE(Combo(kFolder)->itemText(1), dir_->FilePath(QStringLiteral("b")));
        QCOMPARE(Combo(kFolder)->currentText(), dir_->FilePath(QStringLiteral("A")));
        QCOMPARE(dialog_->Choice().folder, dir_->Native(QStringLiteral("A")));
    }

    void okRefusesFilesAndMakesMissingFoldersWithLeave() {
        dialog_->Prepare(2, DisposePreset::MoveFiles);
        QVERIFY(!OkWithFolder(QStringLiteral("   ")));
        QVERIFY(prompter_.questions.empty() && dialog_->history().Folders().empty());

        const QString file = QFile::decodeName(QByteArray::fromStdString(dir_->Write(QStringLiteral("f"), "x")));
        QVERIFY(!OkWithFolder(file));
        QCOMPARE(prompter_.questions.back().text,
                 QString::fromUtf8("指定されたパスはすでにファイルとして存在するため使用できません"));
        QCOMPARE(dialog_->history().Folders().size(), 1u);

        prompter_.answers = {PromptAnswer::No};
        QVERIFY(!OkWithFolder(dir_->FilePath(QStringLiteral("x/y/z"))));
        QVERIFY(!QFileInfo::exists(dir_->FilePath(QStringLiteral("x"))));

        prompter_.questions.clear();
        prompter_.answers = {PromptAnswer::Yes};
        QVERIFY(OkWithFolder(dir_->FilePath(QStringLiteral("x/y/z"))));
        QVERIFY(QFileInfo(dir_->FilePath(QStringLiteral("x/y/z"))).isDir());
        QCOMPARE(prompter_.questions.size(), 1u);
        QCOMPARE(prompter_.questions[0].text, QString::fromUtf8("ディレクトリを作成しますか？"));

        // A folder that cannot be made: asked once, told why, the dialog stays.
        prompter_.questions.clear();
        prompter_.answers = {PromptAnswer::Yes, PromptAnswer::Ok};
        fileSystem_.folderErrors[dir_->Native(QStringLiteral("x"))] = EACCES;
        QVERIFY(!OkWithFolder(dir_->FilePath(QStringLiteral("x/new"))));
        QCOMPARE(prompter_.questions.size(), 2u);
        QVERIFY(prompter_.questions[1].text.contains(QString::fromUtf8("アクセスが拒否されました")));
    }

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
        const FilePath a = dir_->Write(QStringLiteral("a.jpg"), "a");
        const FilePath b = dir_->Write(QStringLiteral("b.jpg"), "b");
        board.List(3).Append(a);
        board.List(3).Append(b);
        board.List(3).UpdateControls();
        board.ResyncPane(3);

        // The pane's button opens the dialog; a move empties the list into the folder.
        QVERIFY(fixture.board->control(ids::Dispose(3))->isEnabled());
        QVERIFY(!fixture.board->control(ids::Dispose(4))->isEnabled());
        QTimer::singleShot(0, this, [&] {
            DestinationDialog& dialog = disposal->dialog();
            QCOMPARE(dialog.windowTitle(), QString::fromUtf8("分類リスト3の移動先の選択"));
            qobject_cast<QComboBox*>(dialog.control(kFolder))->setEditText(dir_->FilePath(QStringLiteral("to")));
            qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
        });
        qobject_cast<QAbstractButton*>(fixture.board->control(ids::Dispose(3)))->click();
        QCOMPARE(board.List(3).Count(), 0);
        QVERIFY(QFileInfo::exists(dir_->FilePath(QStringLiteral("to/a.jpg"))));
        QVERIFY(!fixture.board->control(ids::Dispose(3))->isEnabled());

        // Passing list 3 on to list 3 changes nothing.
        board.List(3).Append(a);
        QTimer::singleShot(0, this, [&] {
            DestinationDialog& dialog = disposal->dialog();
            QVERIFY(!dialog.control(kTarget)->isHidden());
            qobject_cast<QComboBox*>(dialog.control(kTarget))->setCurrentIndex(3);
            qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
        });
        fixture.board->RunCommand(menu_ids::kMoveToListFirst + 3);
        QCOMPARE(board.List(3).Count(), 1);

        // Enter presses the focused button: "参照(&B)" browses, "ｷｬﾝｾﾙ" (with the delete preset
        // on) cancels and nothing goes to the trash; Enter elsewhere would press "実行".
        const FilePath d = dir_->Write(QStringLiteral("d.jpg"), "d");
        board.List(2).Append(d);
        QTimer::singleShot(0, this, [&] {
            DestinationDialog& dialog = disposal->dialog();
            [&] {
                QVERIFY(qobject_cast<QAbstractButton*>(dialog.control(kDelete))->isChecked());
                qobject_cast<QAbstractButton*>(dialog.control(kMove))->click();
                dialog.control(kFolder)->setFocus();
                TabTo(dialog, kBrowse);
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
                QCOMPARE(fixture.prompter.folderTitles.size(), std::size_t{1});
                qobject_cast<QAbstractButton*>(dialog.control(kDelete))->click();
                TabTo(dialog, ids::kCancel);
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
            }();
            if (dialog.isVisible())
                dialog.reject(); // a failed check must not leave the dialog open
        });
        fixture.board->RunCommand(menu_ids::kDeleteFirst + 2);
        QCOMPARE(fixture.prompter.folderTitles.size(), std::size_t{1});
        QCOMPARE(board.List(2).Entries(), FilePathList{d});
        QVERIFY(QFileInfo::exists(dir_->FilePath(QStringLiteral("d.jpg"))));

        // Delete all sends every file of every list to the trash, without a dialog, and then greys.
        board.List(7).Append(dir_->Write(QStringLiteral("c.jpg"), "c"));
        BoardMenuBar* menu = fixture.board->boardMenu();
        menu->UpdateStates();
        QVERIFY(menu->action(menu_ids::kDeleteAll)->isEnabled() &&
                menu->action(menu_ids::kDeleteFirst + 7)->isEnabled());
        QVERIFY(!menu->action(menu_ids::kDeleteFirst + 6)->isEnabled());
        fixture.board->RunCommand(menu_ids::kDeleteAll);
        menu->UpdateStates();
        QVERIFY(!menu->action(menu_ids::kDeleteAll)->isEnabled());
        QCOMPARE(board.TotalCount(), 0);
        QVERIFY(QFileInfo::exists(dir_->FilePath(QStringLiteral("trash/c.jpg"))));
        QVERIFY(!QFileInfo::exists(dir_->FilePath(QStringLiteral("c.jpg"))));
        QVERIFY(fixture.prompter.questions.empty());
    }
};

QTEST_MAIN(DisposalTest)
#include "tst_disposal.moc"
