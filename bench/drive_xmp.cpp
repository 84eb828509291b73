// Times a list's decision written into XMP sidecars through the real board window, as a user runs
// it, and its undo, noting the longest the window's events wait meanwhile.
//
// 10,000 small pictures (arguments: count, folder), every other one with a Lightroom sidecar to
// merge, the rest without, in one folder under /dev/shm unless told otherwise, so that the figures
// are the program's and not the disk's. The undo's trash is a folder beside them. The dialog is answered ★3, 赤,
// NAME.xmp and 実行.

#include "../tests/support/editor_sidecars.h"
#include "../tests/support/faulty_file_system.h"
#include "../tests/support/scripted_prompter.h"
#include "board/board.h"
#include "board/ui/classify_board_dialog.h"
#include "event_ping.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "resources/xmp_template.h"
#include "xmp/ui/xmp_commands.h"
#include "xmp/ui/xmp_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace pelldrake;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10'000;
    const QString under = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/dev/shm");
    QTemporaryDir temp(under + QStringLiteral("/drive_xmp-XXXXXX"));
    FilePathList pictures;
    for (int i = 0; i < count && temp.isValid(); ++i) {
        const QString name = QStringLiteral("IMG_%1").arg(i, 5, 10, QLatin1Char('0'));
        QFile picture(temp.filePath(name + ".JPG"));
        if (!picture.open(QIODevice::WriteOnly) || picture.write(QByteArray(1024, 'p')) != 1024)
            return 1;
        pictures.push_back(QFile::encodeName(picture.fileName()).toStdString());
        QFile sidecar(temp.filePath(name + ".xmp"));
        if (i % 2 == 0 && (!sidecar.open(QIODevice::WriteOnly) || sidecar.write(testing::kLightroomSidecar) < 0))
            return 1;
    }
    if (!temp.isValid()) {
        std::fprintf(stderr, "cannot create the files under %s\n", qPrintable(under));
        return 1;
    }
    testing::ScriptedPrompter prompter;
    testing::RecordingShell shell;
    ClassifyBoardDialog window(LayoutMode::Small, SettingsFile(temp.filePath(QStringLiteral("s.INI"))), prompter,
                               shell);
    window.show();
    window.board().AppendAndShow(6, std::move(pictures), 0);
    window.board().setLastTouchedList(6);
    window.board().history().Forget();
    auto* xmp = window.findChild<XmpCommands*>();
    // The sidecars an undo takes away go to a trash of the run's own, not the user's.
    testing::FaultyFileSystem disk;
    QDir(temp.path()).mkpath(QStringLiteral("trash"));
    disk.trashFolder = QFile::encodeName(temp.filePath(QStringLiteral("trash"))).toStdString();
    xmp->setFileSystem(disk);

    const RunFigures run = Pinged([&] {
        QTimer::singleShot(0, &window, [xmp] {
            XmpDialog& dialog = xmp->dialog();
            qobject_cast<QComboBox*>(dialog.control(xmp_ids::kRating))->setCurrentIndex(4);
            qobject_cast<QComboBox*>(dialog.control(xmp_ids::kLabel))->setCurrentIndex(2);
            qobject_cast<QAbstractButton*>(dialog.control(ids::kOk))->click();
        });
        window.RunCommand(menu_ids::kXmpRatings);
    });
    const RunFigures undo = Pinged([&] { window.RunCommand(menu_ids::kUndo); });
    const int written = static_cast<int>(QDir(temp.path()).entryList({QStringLiteral("*.xmp")}).size());
    std::printf("%d files in %s: run %.0f ms (%.1f us a file), longest event wait %.1f ms\n", count,
                qPrintable(temp.path()), run.ms, run.ms * 1000 / count, run.longestWaitMs);
    std::printf("undo %.0f ms (%.1f us a file), longest event wait %.1f ms; %d sidecars left, %zu questions\n", undo.ms,
                undo.ms * 1000 / count, undo.longestWaitMs, written, prompter.questions.size());
    return run.longestWaitMs <= 50 && undo.longestWaitMs <= 50 ? 0 : 2;
}
