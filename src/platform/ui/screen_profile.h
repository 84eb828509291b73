#pragma once

#include <QByteArray>

namespace pelldrake {

// The ICC profile of the screen, as a colour manager announces it on an X display (the
// _ICC_PROFILE property of the root window); empty where none is announced or the display is not
// X's. Call on the user-interface thread once the application exists.
QByteArray ReadScreenIccProfile();

} // namespace pelldrake
