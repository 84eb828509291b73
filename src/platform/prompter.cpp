#include "platform/prompter.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace pelldrake {

QString ApplicationTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

} // namespace pelldrake
