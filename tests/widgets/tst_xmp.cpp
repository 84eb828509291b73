#include "board/ui/board_menu_bar.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "resources/xmp_template.h"
#include "support/board_fixture.h"
#include "support/editor_sidecars.h"
#include "support/faulty_file_system.h"
#include "xmp/ui/xmp_commands.h"
#include "xmp/ui/xmp_dialog.h"
#include "xmp/xmp_merge.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QTest>
#include <QTimer>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

QByteArray Checksum(const TempDir& dir, const QString& name) {
    return QCryptographicHash::hash(dir.Read(name), QCryptographicHash::Sha256);
}

QString Rating(const TempDir& dir, const QString& name) {
    const std::optional<XmpFields> fields = ReadFields(dir.Read(name).toStdString());
    return fields ? QString::fromStdString(fields->rating.value_or("-")) + "/" +
                        QString::fromStdString(fields->label.value_or("-"))
                  : QStringLiteral("none");
}

} // namespace

class XmpTest : public QObject {
    Q_OBJECT

private slots:
    // The menu's last tool opens the dialog on the last touched list; keys choose ★3 and 赤, a
    // click "両方", Enter runs it: a Lightroom sidecar is merged, the other sidecars are made, and
    // the form is kept in the settings. Ctrl+Z gives the merged one its bytes back and sends the
    // made ones to the trash; Ctrl+Y writes them again; a sidecar edited since stays and is named.
    void aRunReachesTheSidecarsAndIsUndoneAndRedoneWhole() {
        BoardFixture fixture;
        fixture.Reset();
        ClassifyBoardDialog& window = *fixture.board;
        const std::vector<MenuEntry>& tools = BoardMenu()[2].children;
        QCOMPARE(tools.back().id, 32858);
        QCOMPARE(QString::fromUtf8(tools.back().text), QString::fromUtf8("XMPに評価を記録(&X)..."));
        auto* xmp = window.findChild<XmpCommands*>();
        QVERIFY(xmp);
        FaultyFileSystem fileSystem;
        xmp->setFileSystem(fileSystem);
        TempDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("trash"));
        fileSystem.trashFolder = dir.Native(QStringLiteral("trash"));
        Fill(window, 4, {dir.Write("p1.jpg", "one"), dir.Write("p2.jpg", "two")});
        window.board().setLastTouchedList(4);
        dir.Write("p1.xmp", kLightroomSidecar);
        const QByteArray lightroom = Checksum(dir, "p1.xmp");
        // A hand-edited form that means nothing reads as NAME.xmp.
        fixture.dir->Write("p.INI", "[XMP]\r\nSIDECAR=7\r\n");

        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<XmpDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* form = qobject_cast<QAbstractButton*>(dialog->control(xmp_ids::kBaseNameForm));
            shown << dialog->windowTitle() << qobject_cast<QComboBox*>(dialog->control(xmp_ids::kList))->currentText()
                  << form->text() + (form->isChecked() ? " on" : " off");
            QWidget* rating = dialog->control(xmp_ids::kRating);
            rating->setFocus();
            for (int i = 0; i < 4; ++i)
                QTest::keyClick(rating, Qt::Key_Down);
            QWidget* label = dialog->control(xmp_ids::kLabel);
            label->setFocus();
            QTest::keyClick(label, Qt::Key_Down);
            QTest::keyClick(label, Qt::Key_Down);
            auto* both = qobject_cast<QAbstractButton*>(dialog->control(xmp_ids::kBothForms));
            QTest::mouseClick(both, Qt::LeftButton, {}, QPoint(5, both->height() / 2));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        window.boardMenu()->UpdateStates();
        window.boardMenu()->action(menu_ids::kXmpRatings)->trigger();
        QCOMPARE(shown, QStringList({QString::fromUtf8("XMPに評価を記録"), QString::fromUtf8("分類リスト4"),
                                     QString::fromUtf8("NAME.xmp（Lightroom 形式） on")}));
        QCOMPARE(fixture.Settings().XmpSidecarForm(), 2);
        for (const char* name : {"p1.xmp", "p2.xmp", "p1.jpg.xmp", "p2.jpg.xmp"})
            QCOMPARE(Rating(dir, name), QStringLiteral("3/Red"));
        QCOMPARE(dir.Read("p1.jpg") + dir.Read("p2.jpg"), QByteArray("onetwo"));
        QCOMPARE(window.board().List(4).Count(), 2);
        QVERIFY(fixture.prompter.questions.empty());

        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Checksum(dir, "p1.xmp"), lightroom);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"p1.jpg", "p1.xmp", "p2.jpg"}));
        QCOMPARE(QDir(dir.FilePath("trash")).entryList(QDir::Files).size(), 3);
        QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
        for (const char* name : {"p1.xmp", "p2.xmp", "p1.jpg.xmp", "p2.jpg.xmp"})
            QCOMPARE(Rating(dir, name), QStringLiteral("3/Red"));

        dir.Write("p2.xmp", kDarktableSidecar);
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Checksum(dir, "p1.xmp"), lightroom);
        QCOMPARE(dir.Read("p2.xmp"), QByteArray(kDarktableSidecar));
        QCOMPARE(fixture.prompter.questions.size(), std::size_t{1});
        QCOMPARE(fixture.prompter.questions[0].text,
                 QString::fromUtf8("元に戻せなかったファイルがあります。\r\n") + dir.FilePath("p2.xmp"));
        QCOMPARE(fixture.prompter.questions[0].icon, PromptIcon::Exclamation);

        // The list the enlarge window shows comes first, and its choices come back; Cancel writes nothing.
        window.board().setLastTouchedList(2);
        window.EnlargeCommand(4);
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<XmpDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            shown = {qobject_cast<QComboBox*>(dialog->control(xmp_ids::kList))->currentText(),
                     qobject_cast<QComboBox*>(dialog->control(xmp_ids::kRating))->currentText(),
                     qobject_cast<QComboBox*>(dialog->control(xmp_ids::kLabel))->currentText()};
            qobject_cast<QAbstractButton*>(dialog->control(ids::kCancel))->click();
        });
        window.RunCommand(menu_ids::kXmpRatings);
        QCOMPARE(shown,
                 QStringList({QString::fromUtf8("分類リスト4"), QString::fromUtf8("★3"), QString::fromUtf8("赤")}));
        QCOMPARE(Checksum(dir, "p1.xmp"), lightroom);
    }
};

QTEST_MAIN(XmpTest)
#include "tst_xmp.moc"
