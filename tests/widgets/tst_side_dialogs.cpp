#include "app/ui/initial_settings_dialog.h"
#include "board/ui/board_menu_bar.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "resources/side_dialog_templates.h"
#include "support/board_fixture.h"
#include "tools/ui/auto_classify_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
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
            Button(dialog, ids::kNameFilterOn)->click();
            QVERIFY(Edit(dialog, ids::kNameFilter)->isEnabled());
            QTest::keyClicks(Edit(dialog, ids::kNameFilter), "*.JPG");
            Button(dialog, ids::kToChosenList)->click();
            qobject_cast<QComboBox*>(static_cast<AutoClassifyDialog*>(dialog)->control(ids::kTargetList))
                ->setCurrentIndex(4);
            Button(dialog, ids::kOk)->click();
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
            Button(dialog, ids::kCancel)->click();
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
        QTest::newRow("nothing stored") << ""
                                        << "" << 0 << false << "0"
                                        << "0";
        QTest::newRow("mode 5") << "5"
                                << "0" << -1 << false << "-1"
                                << "0";
        QTest::newRow("delete 1") << "1"
                                  << "1" << 1 << true << "1"
                                  << "1";
        QTest::newRow("delete 7") << "2"
                                  << "7" << 2 << false << "2"
                                  << "0";
    }

    void settingsOkWritesAllFourKeys() {
        QFETCH(QString, mode);
        QFETCH(QString, deleteThumbDb);
        QFETCH(int, shownRadio);
        QFETCH(bool, shownTicked);
        QFETCH(QString, writtenMode);
        QFETCH(QString, writtenDelete);
        const SettingsFile settings = fixture.Settings();
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
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(Stored("DIALOG", "MODE"), writtenMode);
        QCOMPARE(Stored("VIEWER", "DELTHUMBDB"), writtenDelete);
        QCOMPARE(Stored("DIRECTORY", "USECURRENT"), QStringLiteral("0"));
        QCOMPARE(Stored("VIEWER", "USEIE"), QStringLiteral("0"));
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
