#include "board/ui/board_menu_bar.h"
#include "board/ui/classify_board_dialog.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "support/board_fixture.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QTest>
#include <QThread>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;

// Saving and loading through the real board's menu commands.
class WorkStateTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;

private slots:
    void init() { fixture.Reset(); }
    void cleanup() { fixture.board.reset(); }

    void loadRestoresListsAndShowsEachFromItsFirstEntry() {
        ClassifyBoardDialog& board = *fixture.board;
        const FilePath a = fixture.dir->Write("a.jpg", "x");
        const FilePath b = fixture.dir->Write("b.jpg", "x");
        const FilePath c = fixture.dir->Write("c.jpg", "x");
        board.board().List(0).Append(a);
        board.board().List(3).Append(b);
        board.board().List(3).Append(c);
        board.board().ResyncPane(3, 1);
        board.boardMenu()->UpdateStates();
        QVERIFY(board.boardMenu()->action(menu_ids::kSaveWorkState)->isEnabled());
        QVERIFY(board.boardMenu()->action(menu_ids::kLoadWorkState)->isEnabled());
        fixture.prompter.saveAnswer = fixture.dir->Native("work.PLD");
        board.RunCommand(menu_ids::kSaveWorkState);

        board.RunCommand(menu_ids::kClearAll);
        QVERIFY(!board.control(ids::MoveAll(3))->isEnabled());
        fixture.prompter.openAnswer = fixture.dir->Native("work.PLD");
        board.RunCommand(menu_ids::kLoadWorkState);
        QCOMPARE(fixture.Entries(0), FilePathList{a});
        QCOMPARE(fixture.Entries(3), (FilePathList{b, c}));
        QCOMPARE(board.groupBox(3)->title(), QString::fromUtf8("分類3(1/2)"));
        QCOMPARE(board.scrollBar(3)->maximum(), 1);
        QCOMPARE(board.scrollBar(3)->value(), 0);
        QVERIFY(board.control(ids::MoveAll(3))->isEnabled());
        QVERIFY(board.control(ids::NumberButton(1))->isEnabled());
        QVERIFY(!board.control(ids::MoveAll(4))->isEnabled());
        QVERIFY(fixture.prompter.questions.empty());

        // A file gone since is asked about here while the reading waits, and the lists change
        // only once the reading is done.
        QVERIFY(QFile::remove(PathToQString(b)));
        fixture.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes}; // discard the lists; skip b
        std::vector<std::pair<bool, int>> whenAsked;
        fixture.prompter.whileAsking = [&] {
            whenAsked.emplace_back(QThread::currentThread() == qApp->thread(), board.board().List(3).Count());
        };
        board.RunCommand(menu_ids::kLoadWorkState);
        QCOMPARE(whenAsked, (std::vector<std::pair<bool, int>>{{true, 2}, {true, 2}}));
        QVERIFY(fixture.prompter.questions.back().text.contains(PathToQString(b)));
        QCOMPARE(fixture.Entries(3), FilePathList{c});
    }
};

QTEST_MAIN(WorkStateTest)
#include "tst_work_state.moc"
