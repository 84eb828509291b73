#pragma once

#include <QPushButton>

namespace pelldrake {

// A button that shows a pressed state but never changes it by itself: a click only reports
// the command, and the program decides what the button shows.
class PushLikeCheckBox : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void nextCheckState() override;
};

} // namespace pelldrake
