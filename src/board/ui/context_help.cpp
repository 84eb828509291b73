#include "board/ui/context_help.h"

#include "platform/help_file.h"

#include <QApplication>
#include <QCursor>
#include <QWhatsThis>
#include <QWidget>

namespace pelldrake {

namespace {

// A control's id, or that of the control it is part of; 0 for the board itself.
int ControlIdOf(const QWidget* widget, const QWidget* board, const std::map<int, QWidget*>& controls) {
    for (; widget && widget != board; widget = widget->parentWidget()) {
        for (const auto& [id, control] : controls) {
            if (control == widget)
                return id;
        }
    }
    return 0;
}

} // namespace

void ShowContextHelp(const QString& helpPath, const QWidget* board, const std::map<int, QWidget*>& controls) {
    const HelpFile help(helpPath);
    QWidget* target = QApplication::widgetAt(QCursor::pos());
    if (!target || target->window() != board)
        target = QApplication::focusWidget();
    const int id = ControlIdOf(target, board, controls);
    QString topic = help.Topic(id ? QString::number(id) : QStringLiteral("board"));
    if (topic.isEmpty())
        topic = help.Topic(QStringLiteral("board"));
    if (!topic.isEmpty())
        QWhatsThis::showText(QCursor::pos(), topic, const_cast<QWidget*>(board));
}

} // namespace pelldrake
