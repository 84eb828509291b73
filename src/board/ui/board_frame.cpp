#include "board/ui/board_frame.h"

#include "resources/app_icon.h"
#include "resources/dialog_units.h"

#include <QDialog>
#include <QMenuBar>
#include <QVBoxLayout>

namespace pelldrake {

BoardFrame BuildBoardFrame(QDialog& window, const QString& title) {
    window.setWindowTitle(title);
    window.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window.setWindowIcon(AppIcon());
    window.setFont(DialogFont());
    window.setAcceptDrops(true);
    window.setFocusPolicy(Qt::StrongFocus);

    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    BoardFrame frame{new QMenuBar(&window), new QWidget(&window)};
    outer->setMenuBar(frame.menuBar);
    outer->addWidget(frame.client);
    return frame;
}

} // namespace pelldrake
