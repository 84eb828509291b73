#include "resources/key_table.h"

#include "resources/control_ids.h"
#include "resources/menu_table.h"

#include <Qt>
#include <algorithm>
#include <utility>

namespace pelldrake {

const std::vector<KeyBinding>& BoardKeys() {
    static const std::vector<KeyBinding> keys = [] {
        std::vector<KeyBinding> table{
            {Qt::Key_Delete, ids::kExclude, KeyRoute::Post},
            {Qt::Key_Backspace, key_ids::kReturnLastSorted, KeyRoute::Run},
            {Qt::Key_Space, menu_ids::kEnlargeFirst, KeyRoute::Run},
            {Qt::Key_Return, ids::kOk, KeyRoute::Run},
            {Qt::Key_Enter, ids::kOk, KeyRoute::Run},
            {Qt::Key_F1, key_ids::kContextHelp, KeyRoute::Run},
            {Qt::Key_M, ids::Dispose(0), KeyRoute::Mnemonic},
            {Qt::Key_O, ids::kOpen, KeyRoute::Mnemonic},
            {Qt::Key_L, ids::kListButton, KeyRoute::Mnemonic},
            {Qt::Key_Greater, ids::kExpandToggle, KeyRoute::Mnemonic},
            {Qt::Key_D, ids::kExclude, KeyRoute::Mnemonic},
            {Qt::Key_Z, menu_ids::kUndo, KeyRoute::Run, Qt::ControlModifier},
            {Qt::Key_Y, menu_ids::kRedo, KeyRoute::Run, Qt::ControlModifier},
            {Qt::Key_Z, menu_ids::kRedo, KeyRoute::Run, Qt::ControlModifier | Qt::ShiftModifier},
            {Qt::Key_Z, menu_ids::kActualSize, KeyRoute::Run},
            {Qt::Key_C, menu_ids::kCompare, KeyRoute::Run},
            {Qt::Key_P, menu_ids::kPinFirst, KeyRoute::Run},
            {Qt::Key_I, menu_ids::kShootingInfo, KeyRoute::Run},
            {Qt::Key_H, menu_ids::kHistogram, KeyRoute::Run},
            {Qt::Key_Left, key_ids::kLookLeft, KeyRoute::Run, Qt::ControlModifier},
            {Qt::Key_Right, key_ids::kLookRight, KeyRoute::Run, Qt::ControlModifier},
            {Qt::Key_Up, key_ids::kLookUp, KeyRoute::Run, Qt::ControlModifier},
            {Qt::Key_Down, key_ids::kLookDown, KeyRoute::Run, Qt::ControlModifier},
        };
        for (int n = 1; n <= 10; ++n)
            table.push_back({Qt::Key_0 + n % 10, ids::NumberButton(n), KeyRoute::Mnemonic});
        return table;
    }();
    return keys;
}

const KeyBinding* FindBoardKey(int key, Qt::KeyboardModifiers modifiers) {
    const auto& keys = BoardKeys();
    modifiers &= ~Qt::KeypadModifier;
    const auto exact = std::find_if(keys.begin(), keys.end(), [key, modifiers](const KeyBinding& b) {
        return b.key == key && b.modifiers != Qt::NoModifier && b.modifiers == modifiers;
    });
    if (exact != keys.end())
        return &*exact;
    const auto plain = std::find_if(
        keys.begin(), keys.end(), [key](const KeyBinding& b) { return b.key == key && b.modifiers == Qt::NoModifier; });
    return plain == keys.end() ? nullptr : &*plain;
}

int DigitKeyFor(int key, quint32 nativeScanCode, bool shiftHeld) {
    // X11 key codes of the digit row, 1 … 9 then 0, the same on every layout.
    constexpr quint32 kFirstDigitRowCode = 10;
    constexpr quint32 kLastDigitRowCode = 19;
    if (nativeScanCode >= kFirstDigitRowCode && nativeScanCode <= kLastDigitRowCode)
        return Qt::Key_0 + static_cast<int>(nativeScanCode - kFirstDigitRowCode + 1) % 10;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key;
    // Without a key code (no X server), a US layout's shifted symbols are the best guess.
    static const std::pair<int, int> kShiftedDigits[] = {
        {Qt::Key_Exclam, Qt::Key_1},     {Qt::Key_At, Qt::Key_2},       {Qt::Key_NumberSign, Qt::Key_3},
        {Qt::Key_Dollar, Qt::Key_4},     {Qt::Key_Percent, Qt::Key_5},  {Qt::Key_AsciiCircum, Qt::Key_6},
        {Qt::Key_Ampersand, Qt::Key_7},  {Qt::Key_Asterisk, Qt::Key_8}, {Qt::Key_ParenLeft, Qt::Key_9},
        {Qt::Key_ParenRight, Qt::Key_0}, {Qt::Key_QuoteDbl, Qt::Key_2}, {Qt::Key_Apostrophe, Qt::Key_7}};
    if (shiftHeld) {
        for (auto [shifted, digit] : kShiftedDigits) {
            if (key == shifted)
                return digit;
        }
    }
    return key;
}

} // namespace pelldrake
