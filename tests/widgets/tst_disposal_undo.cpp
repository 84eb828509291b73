#include "disposal/destination_fields.h"
#include "disposal/ui/destination_dialog.h"
#include "disposal/ui/disposal_commands.h"
#include "platform/ui/stoppable_progress.h"
#include "platform/worker_run.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "support/board_fixture.h"
#include "support/faulty_file_system.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

bool Exists(const FilePath& path) {
    return QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(path)));
}

bool AllExist(const FilePathList& paths) {
    return std::all_of(paths.begin(), paths.end(), Exists);
}

} // namespace

class DisposalUndoTest : public QObject {
    Q_OBJECT

private slots:
    void undoAndRedoRunOffTheWindowsThreadAndAStopLeavesEntriesWhereTheFilesAre() {
        BoardFixture fixture;
        fixture.Reset();
        ClassifyBoardDialog& window = *fixture.board;
        Board& board = window.board();
        auto* disposal = window.findChild<DisposalCommands*>();
        QVERIFY(disposal);
        FaultyFileSystem fileSystem;
        disposal->setFileSystem(fileSystem);
        TempDir dir;
        FilePathList from;
        FilePathList to;
        for (int i = 0; i < 3; ++i) {
            from.push_back(dir.Write(QStringLiteral("from/h%1.jpg").arg(i), QByteArray(100 + i, 'h')));
            to.push_back(dir.Native(QStringLiteral("to/h%1.jpg").arg(i)));
        }
        QDir(dir.path()).mkpath(QStringLiteral("to"));
        Fill(window, 8, from);
        QTimer::singleShot(0, this, [&] {
            DestinationDialog& dialog = disposal->dialog();
            qobject_cast<QComboBox*>(dialog.control(destination_ids::kFolder))->setEditText(dir.FilePath("to"));
            qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
        });
        window.RunCommand(menu_ids::kMoveToFolderFirst + 8);
        QCOMPARE(board.List(8).Count(), 0);
        QVERIFY(AllExist(to));

        // The undo takes the last file first, slowly enough for "中止" to show; the stop comes
        // while the second is on its way, and a redo asked meanwhile is refused.
        std::vector<bool> offThread;
        fileSystem.beforeTransfer = [&](const FilePath& source, const FilePath&) {
            offThread.push_back(QThread::currentThread() != qApp->thread());
            if (source == to[2])
                std::this_thread::sleep_for(std::chrono::milliseconds(StoppableProgress::kShowAfterMs + 100));
            if (source != to[1])
                return;
            OnUserInterfaceThread([&] {
                QTRY_VERIFY(qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()));
                QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
                QWidget* stop = QApplication::activeModalWidget()->findChild<QPushButton*>();
                QTest::mouseClick(stop, Qt::LeftButton, {}, stop->rect().center());
            });
        };
        window.RunCommand(menu_ids::kUndo);
        QCOMPARE(offThread, std::vector<bool>({true, true}));
        QCOMPARE(board.List(8).Entries(), FilePathList({to[0], from[1], from[2]}));
        QVERIFY(AllExist({to[0], from[1], from[2]}));
        QVERIFY(fixture.prompter.questions.empty());

        // The redo takes what came back, off the thread too; the next undo brings back all three.
        offThread.clear();
        fileSystem.beforeTransfer = [&](const FilePath&, const FilePath&) {
            offThread.push_back(QThread::currentThread() != qApp->thread());
        };
        window.RunCommand(menu_ids::kRedo);
        QCOMPARE(offThread, std::vector<bool>({true, true}));
        QCOMPARE(board.List(8).Count(), 0);
        window.RunCommand(menu_ids::kUndo);
        QCOMPARE(board.List(8).Entries(), from);
        QVERIFY(AllExist(from));
        fileSystem.beforeTransfer = nullptr;
    }

    // Two files of one name: the second replaces the first, which the trash keeps; the undo takes
    // the last first, so each comes back with its own bytes. A file edited at its target since, its
    // size kept, stays there and is named, and a redo leaves it alone.
    void undoAndRedoGiveEachFileItsBytesAndPlaceAndLeaveAnEditedOneWhereItIs() {
        BoardFixture fixture;
        fixture.Reset();
        ClassifyBoardDialog& window = *fixture.board;
        auto* disposal = window.findChild<DisposalCommands*>();
        FaultyFileSystem fileSystem;
        disposal->setFileSystem(fileSystem);
        TempDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("to"));
        QDir(dir.path()).mkpath(QStringLiteral("trash"));
        fileSystem.trashFolder = dir.Native(QStringLiteral("trash"));
        const FilePathList files{dir.Write("a/s.jpg", "first"), dir.Write("b/s.jpg", "second one"),
                                 dir.Write("from/e.jpg", "eeee")};
        Fill(window, 9, files);
        fixture.prompter.answers = {PromptAnswer::Yes};
        QTimer::singleShot(0, this, [&] {
            DestinationDialog& dialog = disposal->dialog();
            qobject_cast<QComboBox*>(dialog.control(destination_ids::kFolder))->setEditText(dir.FilePath("to"));
            qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
        });
        window.RunCommand(menu_ids::kMoveToFolderFirst + 9);
        QCOMPARE(dir.Read("trash/s.jpg"), QByteArray("first"));
        QFile edited(dir.FilePath("to/e.jpg"));
        QVERIFY(edited.open(QIODevice::ReadWrite) && edited.write("EEEE") == 4);
        QVERIFY(edited.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        edited.close();
        const FilePath stayed = dir.Native("to/e.jpg");
        const auto undone = [&] {
            QCOMPARE(window.board().List(9).Entries(), FilePathList({files[0], files[1], stayed}));
            QCOMPARE(dir.Read("a/s.jpg") + dir.Read("b/s.jpg") + dir.Read("to/e.jpg"),
                     QByteArray("firstsecond oneEEEE"));
            QVERIFY(!Exists(dir.Native("to/s.jpg")) && !Exists(dir.Native("trash/s.jpg")) &&
                    !Exists(dir.Native("from/e.jpg")));
            QVERIFY(fixture.prompter.questions.back().text.endsWith(PathToQString(stayed)));
        };
        for (int round = 0; round < 2; ++round) {
            fixture.prompter.questions.clear();
            window.RunCommand(menu_ids::kUndo);
            QCOMPARE(fixture.prompter.questions.size(), std::size_t{1});
            undone();
            window.RunCommand(menu_ids::kRedo);
            QCOMPARE(fixture.prompter.questions.size(), std::size_t{1}); // nothing more to say
            QCOMPARE(window.board().List(9).Count(), 0);
            QCOMPARE(dir.Read("to/s.jpg") + dir.Read("trash/s.jpg") + dir.Read("to/e.jpg"),
                     QByteArray("second onefirstEEEE"));
        }
    }
};

QTEST_MAIN(DisposalUndoTest)
#include "tst_disposal_undo.moc"
