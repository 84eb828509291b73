#pragma once

#include <QIcon>

namespace pelldrake {

// The program's own icon: a stack of photo cards sorted into trays.
QIcon AppIcon();

} // namespace pelldrake
