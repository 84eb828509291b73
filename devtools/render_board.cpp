// Renders the board in each layout, collapsed and expanded, with sample photographs in the
// panes, and the enlarge window, to PNG files for looking at by eye.
#include "app/ui/initial_settings_dialog.h"
#include "board/moves.h"
#include "board/ui/classify_board_dialog.h"
#include "disposal/ui/destination_dialog.h"
#include "intake/extension_filter.h"
#include "intake/ui/extension_filter_dialog.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/ui/qt_prompter.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "thumbs/ui/compare_cells.h"
#include "thumbs/ui/enlarge_view.h"
#include "thumbs/ui/enlarge_window.h"
#include "thumbs/ui/thumb_ctl.h"
#include "tools/ui/auto_classify_dialog.h"
#include "tools/ui/file_list_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

using namespace pelldrake;

namespace {

// A landscape-like picture: sky gradient, hills, a sun and some grain.
QImage SamplePhoto(int index, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int hue = (index * 47) % 360;
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor::fromHsv(hue, 120, 250));
    sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 60, 200));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((hue + 120) % 360, 160, 130));
    QPolygon hills;
    hills << QPoint(0, size.height());
    for (int x = 0; x <= size.width(); x += size.width() / 8)
        hills << QPoint(x, size.height() * 2 / 3 + ((x * 7 + index * 13) % (size.height() / 4)));
    hills << QPoint(size.width(), size.height());
    painter.drawPolygon(hills);
    painter.setBrush(QColor(250, 220, 90));
    painter.drawEllipse(QPoint(size.width() * (2 + index % 5) / 8, size.height() / 4), size.width() / 12,
                        size.width() / 12);
    painter.end();
    QRandomGenerator random(static_cast<quint32>(index));
    for (int i = 0; i < size.width() * size.height() / 8; ++i) {
        const int x = random.bounded(size.width());
        const int y = random.bounded(size.height());
        const QColor c = image.pixelColor(x, y);
        const int d = random.bounded(-18, 18);
        image.setPixelColor(
            x, y, QColor(qBound(0, c.red() + d, 255), qBound(0, c.green() + d, 255), qBound(0, c.blue() + d, 255)));
    }
    return image;
}

void WaitForThumbnails(ClassifyBoardDialog& board) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        bool pending = false;
        for (ListIndex i = 0; i < kListCount; ++i)
            pending = pending || board.thumbnail(i)->showing() == CThumbCtl::Showing::Pending;
        if (!pending)
            break;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QTranslator qtTranslations;
    if (qtTranslations.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(outDir);

    QTemporaryDir samples;
    FilePathList photos;
    for (int i = 0; i < 40; ++i) {
        const QSize size = i % 3 == 0 ? QSize(600, 800) : QSize(800, 600);
        const QString path = samples.filePath(QStringLiteral("IMG_%1.jpg").arg(2000 + i));
        SamplePhoto(i, size).save(path, "JPEG", 85);
        photos.push_back(QFile::encodeName(path).toStdString());
    }

    QtPrompter prompter;
    DesktopShell shell;
    const char* names[] = {"small", "medium", "largest"};
    for (int mode = 0; mode < 3; ++mode) {
        ClassifyBoardDialog board(static_cast<LayoutMode>(mode), SettingsFile(samples.filePath("p.INI")), prompter,
                                  shell);
        for (const FilePath& photo : photos)
            board.board().List(kUnclassified).Append(photo);
        board.board().List(kUnclassified).UpdateControls();
        board.board().ResyncPane(kUnclassified);
        for (ListIndex n = 1; n < kListCount; ++n) {
            if (n == 6)
                continue; // one empty pane, to see how it looks
            moves::MoveCurrentToList(board.board(), n);
            if (n % 3 == 0)
                moves::MoveCurrentToList(board.board(), n);
        }
        board.show();
        WaitForThumbnails(board);
        board.grab().save(QStringLiteral("%1/board-%2-collapsed.png").arg(outDir, names[mode]));
        board.ToggleExpand();
        WaitForThumbnails(board);
        board.grab().save(QStringLiteral("%1/board-%2-expanded.png").arg(outDir, names[mode]));
        if (mode == 0) {
            board.EnlargeCommand(kUnclassified);
            EnlargeWindow* window = board.viewer().window();
            window->resize(360, 300);
            window->SetFile(window->currentPath());
            QElapsedTimer timer;
            timer.start();
            while (window->thumbnail()->showing() == CThumbCtl::Showing::Pending && timer.elapsed() < 5000)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            window->grab().save(QStringLiteral("%1/enlarge-window.png").arg(outDir));
            // 等倍表示: the same file at 100 %, one image pixel a screen pixel.
            board.RunCommand(menu_ids::kActualSize);
            timer.restart();
            while (!window->view()->showsZoomedPicture() && timer.elapsed() < 5000)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            window->grab().save(QStringLiteral("%1/enlarge-window-100.png").arg(outDir));
            board.RunCommand(menu_ids::kActualSize);
            // 比較表示: two in a row, then four in two rows at 100 %, the current one framed, each with its
            // shooting data and histogram.
            board.RunCommand(menu_ids::kShootingInfo);
            board.RunCommand(menu_ids::kHistogram);
            const std::pair<const char*, QSize> layouts[] = {{"2", QSize(760, 300)}, {"4", QSize(720, 520)}};
            for (const auto& [count, size] : layouts) {
                SettingsFile(samples.filePath("p.INI")).profile().WriteText("EXPANDVIEW", "COMPARE", count);
                window->resize(size);
                board.RunCommand(menu_ids::kCompare);
                timer.restart();
                const bool four = std::string(count) == "4";
                const auto pending = [window, four] {
                    for (int index = 0; index < window->cells()->cellCount(); ++index) {
                        const EnlargeView* cell = window->cells()->cell(index);
                        if (cell->showing() == CThumbCtl::Showing::Pending || (four && !cell->showsZoomedPicture()))
                            return true;
                    }
                    return false;
                };
                if (four) {
                    // The first file pinned as the one to beat, the list stepped on beside it.
                    board.RunCommand(menu_ids::kPinFirst);
                    board.RunCommand(ids::kOk);
                    board.RunCommand(menu_ids::kActualSize);
                }
                while ((pending() || timer.elapsed() < 300) && timer.elapsed() < 5000)
                    QApplication::processEvents(QEventLoop::AllEvents, 50);
                window->grab().save(QStringLiteral("%1/enlarge-window-compare-%2.png").arg(outDir, count));
                if (four)
                    board.RunCommand(menu_ids::kActualSize);
                board.RunCommand(menu_ids::kCompare);
            }
            board.RunCommand(menu_ids::kShootingInfo);
            board.RunCommand(menu_ids::kHistogram);
            // 撮影情報 and ヒストグラム over a camera's file, its sun burnt out white.
            const QString shot = samples.filePath(QStringLiteral("IMG_0412.jpg"));
            QImage picture = SamplePhoto(4, QSize(1200, 800));
            {
                QPainter painter(&picture);
                painter.setPen(Qt::NoPen);
                painter.setBrush(Qt::white);
                painter.drawEllipse(QPoint(900, 200), 70, 70);
            }
            picture.save(shot, "JPEG", 90);
            QProcess::execute(
                QStringLiteral("exiftool"),
                {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-Model=Canon EOS R6"),
                 QStringLiteral("-LensModel=RF24-105mm F4 L IS USM"), QStringLiteral("-FocalLength=105"),
                 QStringLiteral("-ExposureTime=1/500"), QStringLiteral("-FNumber=4"), QStringLiteral("-ISO=800"),
                 QStringLiteral("-DateTimeOriginal=2026:05:03 14:22:31"), shot});
            window->resize(760, 540);
            window->SetFile(QFile::encodeName(shot).toStdString());
            board.RunCommand(menu_ids::kShootingInfo);
            board.RunCommand(menu_ids::kHistogram);
            timer.restart();
            while ((window->view()->showing() != CThumbCtl::Showing::Image ||
                    window->view()->shootingLine() == QStringLiteral("IMG_0412.jpg")) &&
                   timer.elapsed() < 5000)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            window->grab().save(QStringLiteral("%1/enlarge-window-info-histogram.png").arg(outDir));
            // Shift held with the pointer over the window: the clipped sun in red.
            QCursor::setPos(window->mapToGlobal(window->rect().center()));
            timer.restart();
            while (!window->view()->underMouse() && timer.elapsed() < 2000)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
            QApplication::sendEvent(&board, &shift);
            window->grab().save(QStringLiteral("%1/enlarge-window-clipping.png").arg(outDir));
            QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier);
            QApplication::sendEvent(&board, &shiftUp);
            board.RunCommand(menu_ids::kShootingInfo);
            board.RunCommand(menu_ids::kHistogram);
        }
    }
    const SettingsFile settings(samples.filePath("p.INI"));
    ExtensionFilter::Save(settings, {"jpg", "JPEG", "png", "gif", "bmp", "webp"});
    ExtensionFilterDialog filter(settings);
    filter.show();
    filter.list()->setCurrentRow(2);
    QApplication::processEvents();
    filter.grab().save(QStringLiteral("%1/extension-filter.png").arg(outDir));

    ClassifyConditions conditions = ClassifyConditions::StartingAt(QDateTime::currentDateTime());
    conditions.targetMode = ClassifyConditions::kToChosen;
    conditions.targetChoice = ClassifyConditions::kExclude;
    conditions.nameFilterOn = conditions.upperBoundOn = conditions.fromDateOn = conditions.ratingOn = true;
    conditions.ratingChoice = 2;
    conditions.nameFilter = "*.jpg;*.png";
    conditions.lowerBound = "10";
    conditions.upperBound = "2048";
    AutoClassifyDialog classify(conditions);
    QTimer::singleShot(0, &classify, [&] {
        classify.grab().save(QStringLiteral("%1/auto-classify.png").arg(outDir));
        classify.reject();
    });
    classify.Run();

    settings.WriteDialogMode(1);
    settings.WriteDeleteThumbDb(1);
    InitialSettingsDialog initialSettings(settings);
    initialSettings.show();
    QApplication::processEvents();
    initialSettings.grab().save(QStringLiteral("%1/initial-settings.png").arg(outDir));
    // The file list window over a list from a few folders, sorted by extension with rows selected,
    // at its starting size and enlarged.
    Board board;
    const char* folders[] = {"/home/user/Pictures/2024/夏休み", "/home/user/Pictures/2023",
                             "/media/card/DCIM/100CANON"};
    const char* extensions[] = {"jpg", "JPG", "png", "jpeg", "gif"};
    for (int i = 0; i < 60; ++i)
        board.List(kUnclassified)
            .Append(QStringLiteral("%1/%2_%3.%4")
                        .arg(QString::fromUtf8(folders[i % 3]))
                        .arg(i % 4 == 0 ? QStringLiteral("表紙") : QStringLiteral("IMG"))
                        .arg(4000 + i * 7)
                        .arg(QString::fromLatin1(extensions[i % 5]))
                        .toStdString());
    FileListDialog fileList(board);
    fileList.show();
    fileList.SortByColumn(1);
    for (int row : {1, 2, 5})
        fileList.rowsView()->selectionModel()->select(fileList.rowsView()->model()->index(row, 0),
                                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    fileList.moveTargetBox()->setCurrentIndex(4);
    QApplication::processEvents();
    fileList.grab().save(QStringLiteral("%1/file-list.png").arg(outDir));
    fileList.resize(fileList.size() + QSize(240, 120));
    QApplication::processEvents();
    fileList.grab().save(QStringLiteral("%1/file-list-enlarged.png").arg(outDir));
    // The destination dialog, both pages, with two folders in its history.
    PosixFileSystem disk;
    DestinationDialog destination(prompter, disk);
    QDir(samples.path()).mkpath(QStringLiteral("Pictures/2025/sea"));
    for (const char* folder : {"Pictures/2025", "Pictures/2025/sea"}) {
        destination.Prepare(3, DisposePreset::MoveFiles);
        destination.Initialise();
        qobject_cast<QComboBox*>(destination.control(destination_ids::kFolder))
            ->setEditText(samples.filePath(QString::fromUtf8(folder)));
        destination.accept();
    }
    destination.Prepare(3, DisposePreset::MoveFiles);
    destination.Initialise();
    destination.show();
    QApplication::processEvents();
    destination.grab().save(QStringLiteral("%1/destination-files.png").arg(outDir));
    destination.Prepare(3, DisposePreset::MoveEntries);
    destination.Initialise();
    QApplication::processEvents();
    destination.grab().save(QStringLiteral("%1/destination-entries.png").arg(outDir));
    return 0;
}
