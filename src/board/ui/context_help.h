#pragma once

#include <QString>
#include <map>

class QWidget;

namespace pelldrake {

// F1 on the board: the help topic of the control under the mouse, else of the one with the focus,
// in a popup; the board's own topic where a control has none. Controls are known by their ids.
void ShowContextHelp(const QString& helpPath, const QWidget* board, const std::map<int, QWidget*>& controls);

} // namespace pelldrake
