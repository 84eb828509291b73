#include "board/board_menu_bar.h"
#include "board/classify_board_dialog.h"
#include "resources/menu_table.h"
#include "support/board_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;

// The clipboard menu entries on the real board and the process's real clipboard.
class ClipboardTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;

    QAction* Action(int id) const {
        fixture.board->boardMenu()->UpdateStates();
        return fixture.board->boardMenu()->action(id);
    }

private slots:
    void init() {
        fixture.Reset();
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { fixture.board.reset(); }

    void listGoesOutThroughItsMenuEntryAndComesBackThroughPaste() {
        using namespace menu_ids;
        const FilePathList files{fixture.dir->Write("a.jpg", "x"), fixture.dir->Write("b.jpg", "x")};
        Board& board = fixture.board->board();
        for (const FilePath& file : files)
            board.List(3).Append(file);
        board.ResyncPane(3);
        QVERIFY(Action(kToClipboardFirst + 3)->isEnabled());
        QVERIFY(!Action(kToClipboardFirst + 4)->isEnabled()); // list 4 is empty
        QVERIFY(!Action(kFromClipboard)->isEnabled());

        fixture.prompter.answers = {PromptAnswer::No};
        fixture.board->RunCommand(kToClipboardFirst + 3);
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->text(),
                 QString::fromStdString(files[0] + "\r\n" + files[1] + "\r\n"));
        QVERIFY(Action(kFromClipboard)->isEnabled());
        fixture.board->RunCommand(kFromClipboard);
        QVERIFY(fixture.Entries(kUnclassified).empty()); // every file is on the board already

        fixture.prompter.answers = {PromptAnswer::Yes};
        fixture.board->RunCommand(kToClipboardFirst + 3);
        QVERIFY(fixture.Entries(3).empty());
        QVERIFY(!Action(kToClipboardFirst + 3)->isEnabled());
        fixture.board->RunCommand(kFromClipboard);
        QCOMPARE(fixture.Entries(kUnclassified), files);
        QCOMPARE(fixture.prompter.questions.size(), std::size_t(2));

        auto* fileManagerCopy = new QMimeData;
        fileManagerCopy->setData("x-special/gnome-copied-files", "copy\nfile:///tmp");
        QGuiApplication::clipboard()->setMimeData(fileManagerCopy);
        QVERIFY(Action(kFromClipboard)->isEnabled());
    }
};

QTEST_MAIN(ClipboardTest)
#include "tst_clipboard.moc"
