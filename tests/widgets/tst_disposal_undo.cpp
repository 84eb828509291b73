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
};

QTEST_MAIN(DisposalUndoTest)
#include "tst_disposal_undo.moc"
