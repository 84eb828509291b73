#pragma once

#include <QObject>
#include <map>

class QAction;
class QMenu;
class QMenuBar;

namespace pelldrake {

class ClassifyBoardDialog;
struct MenuEntry;

// The board's menu bar built from the menu table; greys and checks its entries each time a
// menu opens.
class BoardMenuBar : public QObject {
    Q_OBJECT
public:
    BoardMenuBar(QMenuBar* bar, ClassifyBoardDialog& board);

    QAction* action(int id) const;
    void UpdateStates();

private:
    void AddEntries(QMenu* menu, const std::vector<MenuEntry>& entries);

    ClassifyBoardDialog& board_;
    std::map<int, QAction*> actions_;
};

} // namespace pelldrake
