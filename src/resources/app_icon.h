#pragma once

#include <QIcon>
#include <QImage>

namespace pelldrake {

// The program's own icon: a stack of photo cards sorted into trays.
QIcon AppIcon();
// The same drawing at one size in pixels; the build renders the installed theme icons from it.
QImage AppIconImage(int size);

} // namespace pelldrake
