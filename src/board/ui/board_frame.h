#pragma once

class QDialog;
class QMenuBar;
class QString;
class QWidget;

namespace pelldrake {

struct BoardFrame {
    QMenuBar* menuBar = nullptr;
    QWidget* client = nullptr; // holds the controls; its fixed size sets the window's
};

// Dresses the board window: its title, icon, font and the title bar's buttons of a dialog that the
// user does not resize, drops accepted, and a menu bar over the client area.
BoardFrame BuildBoardFrame(QDialog& window, const QString& title);

} // namespace pelldrake
