#include "resources/ui/push_like_check_box.h"

namespace pelldrake {

void PushLikeCheckBox::nextCheckState() {
    // The pressed state follows what the program shows, never the click itself.
}

} // namespace pelldrake
