// The real board with one file in every list, its settings in the given folder, for driving with
// real key events from outside (scripts/check_keyboard_layouts.sh).
#include "board/ui/classify_board_dialog.h"
#include "platform/file_info.h"
#include "platform/shell.h"
#include "platform/ui/qt_prompter.h"

#include <QApplication>
#include <QDir>
#include <QFile>

using namespace pelldrake;

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        qWarning("usage: keyboard_board <empty folder for settings and files>");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QtPrompter prompter;
    DesktopShell shell;
    ClassifyBoardDialog board(LayoutMode::Small, SettingsFile(folder.filePath("pelldrake.INI")), prompter, shell);
    prompter.setOwner(&board);
    for (ListIndex list = 0; list < kListCount; ++list) {
        const QString path = folder.filePath(QStringLiteral("list%1.jpg").arg(list));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        board.board().AppendAndShow(list, {PathFromQString(path)}, 0);
    }
    board.show();
    return board.exec();
}
