#pragma once

#include <Qt>
#include <QtGlobal>
#include <vector>

namespace pelldrake {

// Commands that only a key gives; they have no button or menu entry.
namespace key_ids {
inline constexpr int kReturnLastSorted = 40001;
inline constexpr int kContextHelp = 40002;
// Ctrl with an arrow: the zoomed enlarge window looks that way by a quarter of itself.
inline constexpr int kLookLeft = 40003;
inline constexpr int kLookRight = 40004;
inline constexpr int kLookUp = 40005;
inline constexpr int kLookDown = 40006;
} // namespace key_ids

enum class KeyRoute {
    Run,      // the command runs while the key is handled
    Post,     // the command runs once the key event is over, so it reads the modifiers then
    Mnemonic, // plain or with Alt; presses the command's button only while the button takes it
};

struct KeyBinding {
    int key; // Qt::Key
    int commandId;
    KeyRoute route;
    // None: the key acts whatever is held, as its route decides. Else exactly these (Ctrl+Z).
    Qt::KeyboardModifiers modifiers = {};
};

// The board's keys: every key that does something on the board is a line here.
const std::vector<KeyBinding>& BoardKeys();
// A binding for exactly these modifiers first, else one for the key alone.
const KeyBinding* FindBoardKey(int key, Qt::KeyboardModifiers modifiers = {});

// The digit key a key press stands for, or the key itself when it is no digit. Shift turns the
// digit row into symbols that differ between layouts (Shift+6 is "&" on a Japanese keyboard, "^"
// on a US one), so the key's position on the keyboard decides when the platform reports it.
int DigitKeyFor(int key, quint32 nativeScanCode, bool shiftHeld);

} // namespace pelldrake
