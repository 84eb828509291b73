#include "app/ui/initial_settings_dialog.h"
#include "board/ui/board_menu_bar.h"
#include "platform/worker_run.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "resources/side_dialog_templates.h"
#include "support/board_fixture.h"
#include "tools/auto_classify.h"
#include "tools/ui/auto_classify_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;

// The bulk classification and the settings box, opened from the board's menu.
class SideDialogsTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;

    // Runs the menu command; act gets the modal window it opens and closes it.
    void FromMenu(int id, std::function<void(QDialog*)> act) {
        fixture.board->boardMenu()->UpdateStates();
        QAction* action = fixture.board->boardMenu()->action(id);
        QVERIFY(action && action->isEnabled());
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                qFatal("no modal dialog");
            act(dialog);
            // A failed check returns early; the run must still end.
            if (dialog->isVisible())
                dialog->reject();
        });
        action->trigger();
    }
    static QAbstractButton* Button(QDialog* dialog, int id) {
        return qobject_cast<QAbstractButton*>(static_cast<AutoClassifyDialog*>(dialog)->control(id));
    }
    static QLineEdit* Edit(QDialog* dialog, int id) {
        return qobject_cast<QLineEdit*>(static_cast<AutoClassifyDialog*>(dialog)->control(id));
    }
    // A key press on the control that has the focus, as the keyboard delivers it.
    static void PressOnFocus(QDialog* dialog, Qt::Key key) { QTest::keyClick(dialog->focusWidget(), key); }
    static void TabTo(QDialog* dialog, int id) {
        QWidget* target = static_cast<AutoClassifyDialog*>(dialog)->control(id);
        for (int i = 0; i < 30 && dialog->focusWidget() != target; ++i)
            PressOnFocus(dialog, Qt::Key_Tab);
        QCOMPARE(dialog->focusWidget(), target);
    }
    static QWidget* Control(QDialog* dialog, int id) { return static_cast<AutoClassifyDialog*>(dialog)->control(id); }
    QByteArray SettingsBytes() const { return fixture.dir->Read("p.INI"); }
    QString Stored(const char* section, const char* key) const {
        return QString::fromStdString(fixture.Settings().profile().ReadText(section, key, "absent"));
    }

private slots:
    void init() { fixture.Reset(); }
    void cleanup() { fixture.board.reset(); }

    void classifyRunsWithTheConfirmedValuesAndShowsThemNextTime() {
        const FilePath jpg = fixture.dir->Write("a.jpg", "x");
        const FilePath png = fixture.dir->Write("b.png", "x");
        fixture.board->board().List(0).Append(jpg);
        fixture.board->board().List(0).Append(png);
        FromMenu(menu_ids::kAutoClassify, [](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QString::fromUtf8("特定ファイルの一括分類"));
            QVERIFY(Button(dialog, ids::kFromAllLists)->isChecked());
            QVERIFY(Button(dialog, ids::kToUnclassified)->isChecked());
            QVERIFY(!Edit(dialog, ids::kNameFilter)->isEnabled());
            QVERIFY(!Control(dialog, ids::kSourceList)->isEnabled() && !Control(dialog, ids::kTargetList)->isEnabled());
            Button(dialog, ids::kNameFilterOn)->click();
            QVERIFY(Edit(dialog, ids::kNameFilter)->isEnabled());
            QTest::keyClicks(Edit(dialog, ids::kNameFilter), "*.JPG");
            Button(dialog, ids::kToChosenList)->click();
            QVERIFY(Control(dialog, ids::kTargetList)->isEnabled() && !Control(dialog, ids::kSourceList)->isEnabled());
            qobject_cast<QComboBox*>(Control(dialog, ids::kTargetList))->setCurrentIndex(4);
            // Enter on the name filter presses the default button, "実行".
            Edit(dialog, ids::kNameFilter)->setFocus();
            PressOnFocus(dialog, Qt::Key_Return);
        });
        QCOMPARE(fixture.Entries(4), FilePathList{jpg});
        QCOMPARE(fixture.Entries(0), FilePathList{png});

        FromMenu(menu_ids::kAutoClassify, [](QDialog* dialog) {
            const auto* classify = static_cast<AutoClassifyDialog*>(dialog);
            QCOMPARE(Edit(dialog, ids::kNameFilter)->text(), QStringLiteral("*.JPG"));
            QVERIFY(Edit(dialog, ids::kNameFilter)->isEnabled());
            QVERIFY(Button(dialog, ids::kToChosenList)->isChecked());
            QCOMPARE(qobject_cast<QComboBox*>(classify->control(ids::kTargetList))->currentIndex(), 4);
            const QDate today = QDate::currentDate();
            QCOMPARE(qobject_cast<QDateEdit*>(classify->control(ids::kFromDate))->date(), today.addDays(-30));
            QCOMPARE(qobject_cast<QDateEdit*>(classify->control(ids::kUntilDate))->date(), today);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(fixture.Entries(0), FilePathList{png});

        // "未分類リストへ" sends the matches to the unclassified list, whatever list the
        // drop-down still names; "次のリストから" takes them from the chosen list only.
        FromMenu(menu_ids::kAutoClassify, [](QDialog* dialog) {
            Button(dialog, ids::kToUnclassified)->click();
            QVERIFY(!Control(dialog, ids::kTargetList)->isEnabled());
            Button(dialog, ids::kFromOneList)->click();
            QVERIFY(Control(dialog, ids::kSourceList)->isEnabled());
            qobject_cast<QComboBox*>(Control(dialog, ids::kSourceList))->setCurrentIndex(4);
            Button(dialog, ids::kOk)->click();
        });
        QCOMPARE(fixture.Entries(0), (FilePathList{png, jpg}));
        QVERIFY(fixture.Entries(4).empty());
        // The source list confirmed shows again, not one chosen in an opening that was cancelled.
        for (int opening = 0; opening < 2; ++opening) {
            FromMenu(menu_ids::kAutoClassify, [](QDialog* dialog) {
                QVERIFY(Button(dialog, ids::kFromOneList)->isChecked() &&
                        Control(dialog, ids::kSourceList)->isEnabled());
                auto* source = qobject_cast<QComboBox*>(Control(dialog, ids::kSourceList));
                QCOMPARE(source->currentIndex(), 4);
                source->setCurrentIndex(7);
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
        }
    }

    // The files are examined on another thread; a stop asked on this one reaches it, and the
    // lists stay exactly as they were.
    void bulkClassificationStoppedOnItsThreadChangesNoList() {
        Board& board = fixture.board->board();
        const FilePathList files{fixture.dir->Write("a.jpg", "x"), fixture.dir->Write("b.jpg", "x")};
        board.AppendAndShow(kUnclassified, files);
        ClassifyConditions conditions = ClassifyConditions::StartingAt(QDateTime::currentDateTime());
        conditions.targetMode = ClassifyConditions::kToChosen;
        conditions.targetChoice = 3;
        const auto lists = ListsToScan(board);

        struct Stopper : ProgressSink {
            int reports = 0;
            void Report(std::size_t, std::size_t, std::string_view) override { ++reports; }
            bool StopRequested() override { return reports > 0; }
        } shown;
        ClassifyOutcome outcome;
        RunOffThread(&shown, [&](ProgressSink& relay) {
            relay.Report(0, files.size(), "");
            QDeadlineTimer patience(5000);
            while (!relay.StopRequested() && !patience.hasExpired())
                QThread::msleep(1);
            outcome = FindMatches(lists, conditions, NativeCodePage(), &relay);
        });
        QCOMPARE(shown.reports, 1);
        QVERIFY(outcome.stopped);
        QCOMPARE(ApplyMatches(board, conditions, std::move(outcome)), 0);
        QCOMPARE(fixture.Entries(kUnclassified), files);

        // Not stopped, the same road moves them.
        RunOffThread(nullptr,
                     [&](ProgressSink& relay) { outcome = FindMatches(lists, conditions, NativeCodePage(), &relay); });
        QCOMPARE(ApplyMatches(board, conditions, std::move(outcome)), 2);
        QCOMPARE(fixture.Entries(3), files);
    }

    void cancelKeepsWhatTheLastClickReadAndNotLaterTyping() {
        auto* classify = fixture.board->findChild<AutoClassifyDialog*>();
        QVERIFY(classify);
        FromMenu(menu_ids::kAutoClassify, [](QDialog* dialog) {
            Button(dialog, ids::kNameFilterOn)->click();
            QTest::keyClicks(Edit(dialog, ids::kNameFilter), "*.jpg");
            Button(dialog, ids::kLowerBoundOn)->click();
            Button(dialog, ids::kCancel)->click();
        });
        QCOMPARE(classify->conditions().nameFilter, std::string("*.jpg"));
        QVERIFY(classify->conditions().lowerBoundOn);

        FromMenu(menu_ids::kAutoClassify, [](QDialog* dialog) {
            QCOMPARE(Edit(dialog, ids::kNameFilter)->text(), QStringLiteral("*.jpg"));
            QVERIFY(Button(dialog, ids::kLowerBoundOn)->isChecked());
            QVERIFY(Edit(dialog, ids::kLowerBound)->isEnabled());
            QTest::keyClicks(Edit(dialog, ids::kNameFilter), ";*.png");
            // Enter on the focused "キャンセル" cancels; it does not press "実行".
            TabTo(dialog, ids::kCancel);
            PressOnFocus(dialog, Qt::Key_Return);
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(classify->conditions().nameFilter, std::string("*.jpg"));
    }

    void settingsOkWritesAllFourKeys_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("deleteThumbDb");
        QTest::addColumn<int>("shownRadio"); // -1: none
        QTest::addColumn<bool>("shownTicked");
        QTest::addColumn<QString>("writtenMode");
        QTest::addColumn<QString>("writtenDelete");
        QTest::addColumn<bool>("useBrowser"); // USEIE stored as 1
        QTest::newRow("nothing stored") << ""
                                        << "" << 0 << false << "0"
                                        << "0" << false;
        QTest::newRow("mode 5") << "5"
                                << "0" << -1 << false << "-1"
                                << "0" << false;
        QTest::newRow("delete 1") << "1"
                                  << "1" << 1 << true << "1"
                                  << "1" << true;
        QTest::newRow("delete 7") << "2"
                                  << "7" << 2 << false << "2"
                                  << "0" << false;
    }

    void settingsOkWritesAllFourKeys() {
        QFETCH(QString, mode);
        QFETCH(QString, deleteThumbDb);
        QFETCH(int, shownRadio);
        QFETCH(bool, shownTicked);
        QFETCH(QString, writtenMode);
        QFETCH(QString, writtenDelete);
        QFETCH(bool, useBrowser);
        const SettingsFile settings = fixture.Settings();
        if (useBrowser)
            settings.profile().WriteText("VIEWER", "USEIE", "1");
        if (!mode.isEmpty())
            settings.profile().WriteText("DIALOG", "MODE", mode.toStdString());
        if (!deleteThumbDb.isEmpty())
            settings.profile().WriteText("VIEWER", "DELTHUMBDB", deleteThumbDb.toStdString());
        FromMenu(menu_ids::kAbout, [&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QString::fromUtf8("Pelldrakeのﾊﾞｰｼﾞｮﾝ情報"));
            auto button = [dialog](int id) {
                return qobject_cast<QAbstractButton*>(static_cast<InitialSettingsDialog*>(dialog)->control(id));
            };
            for (int layout = 0; layout < 3; ++layout)
                QCOMPARE(button(ids::kSmallLayout + layout)->isChecked(), layout == shownRadio);
            const QAbstractButton* deleteBox = button(ids::kDeleteThumbDb);
            QCOMPARE(deleteBox->isChecked(), shownTicked);
            QVERIFY(!deleteBox->isEnabled());
            QCOMPARE(button(ids::kUseBrowser)->text(), QString::fromUtf8("拡大ボタンで画像をIEで表示する"));
            QCOMPARE(button(ids::kUseBrowser)->isChecked(), useBrowser);
            QVERIFY(!button(ids::kUseCurrentDirectory)->isChecked());
            // Enter on a check box presses the default button, "OK".
            button(ids::kUseCurrentDirectory)->setFocus();
            PressOnFocus(dialog, Qt::Key_Return);
        });
        QCOMPARE(Stored("DIALOG", "MODE"), writtenMode);
        QCOMPARE(Stored("VIEWER", "DELTHUMBDB"), writtenDelete);
        QCOMPARE(Stored("DIRECTORY", "USECURRENT"), QStringLiteral("0"));
        QCOMPARE(Stored("VIEWER", "USEIE"), useBrowser ? QStringLiteral("1") : QStringLiteral("0"));
        if (mode.isEmpty()) { // every key new: the file shows the order of writing
            const QByteArray text = SettingsBytes();
            QVERIFY(text.indexOf("USECURRENT") < text.indexOf("MODE"));
            QVERIFY(text.indexOf("MODE") < text.indexOf("USEIE"));
            QVERIFY(text.indexOf("USEIE") < text.indexOf("DELTHUMBDB"));
        }
    }

    void settingsEscAfterChangesWritesNothing() {
        fixture.Settings().profile().WriteText("DIALOG", "MODE", "1");
        const QByteArray before = SettingsBytes();
        FromMenu(menu_ids::kAbout, [](QDialog* dialog) {
            for (int id : {ids::kSmallLayout + 2, ids::kUseBrowser, ids::kUseCurrentDirectory})
                qobject_cast<QAbstractButton*>(static_cast<InitialSettingsDialog*>(dialog)->control(id))->click();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(SettingsBytes(), before);
    }
};

QTEST_MAIN(SideDialogsTest)
#include "tst_side_dialogs.moc"
