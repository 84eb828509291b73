#include "disposal/ui/destination_dialog.h"
#include "resources/control_ids.h"
#include "support/faulty_file_system.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

using namespace pelldrake;
using namespace pelldrake::testing;
using namespace pelldrake::destination_ids;

class DestinationDialogTest : public QObject {
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
        // The controls the page shows and the choice enables, as the user can click them.
        auto usable = [&] {
            QList<int> on;
            for (int id : {kDelete, kMove, kFolder, kBrowse, kKeepSource, kReset, kClipboard, kMoveToList, kTarget})
                if (Shown(id) && Enabled(id))
                    on.push_back(id);
            return on;
        };
        const QList<int> moving{kDelete, kMove, kFolder, kBrowse, kKeepSource};
        const QList<int> toList{kReset, kClipboard, kMoveToList, kTarget};
        dialog_->Prepare(3, DisposePreset::None);
        dialog_->Initialise();
        QCOMPARE(dialog_->windowTitle(), QString::fromUtf8("分類リスト3の移動先の選択"));
        QCOMPARE(usable(), moving);
        Button(kDelete)->click();
        QCOMPARE(usable(), QList<int>({kDelete, kMove}));
        Button(kMove)->click();
        QCOMPARE(usable(), moving);

        qobject_cast<QTabBar*>(dialog_->control(kTabs))->setCurrentIndex(1);
        QCOMPARE(usable(), toList);
        for (int radio : {kReset, kClipboard}) {
            Button(radio)->click();
            QCOMPARE(usable(), toList.mid(0, 3));
        }
        Button(kMoveToList)->click();
        QCOMPARE(usable(), toList);

        dialog_->Prepare(kUnclassified, DisposePreset::DeleteFiles);
        dialog_->Initialise();
        QCOMPARE(dialog_->windowTitle(), QString::fromUtf8("未分類リストの移動先の選択"));
        QVERIFY(Button(kDelete)->isChecked());
        QCOMPARE(usable(), QList<int>({kDelete, kMove}));
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
        QCOMPARE(prompter_.questions.back().icon, PromptIcon::Stop);
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
        QCOMPARE(prompter_.questions[0].icon, PromptIcon::Question);

        // A folder that cannot be made: asked once, told why, the dialog stays.
        prompter_.questions.clear();
        prompter_.answers = {PromptAnswer::Yes, PromptAnswer::Ok};
        fileSystem_.folderErrors[dir_->Native(QStringLiteral("x"))] = EACCES;
        QVERIFY(!OkWithFolder(dir_->FilePath(QStringLiteral("x/new"))));
        QCOMPARE(prompter_.questions.size(), 2u);
        QVERIFY(prompter_.questions[1].text.contains(QString::fromUtf8("アクセスが拒否されました")));
        QCOMPARE(prompter_.questions[1].icon, PromptIcon::Stop);
    }
};

QTEST_MAIN(DestinationDialogTest)
#include "tst_destination_dialog.moc"
