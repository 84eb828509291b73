#pragma once

#include "platform/code_page.h"

#include <string>
#include <string_view>

namespace pelldrake {

// A text turned into bytes whose plain order is the code page's character order. A character of
// more bytes already compares by its value through its bytes, and an ASCII one sorts below it; a
// one-byte character from 0x80 up (half-width kana, a byte of broken UTF-8) gets 0x80 in front,
// which puts it between the two. This holds for code pages whose longer characters start at 0x81
// or above, with a longer character's first byte never below a shorter one's: UTF-8 and 932.
std::string CharacterOrderKey(std::string_view text, const CodePage& codePage);

// True when the text is its own key, as nearly every name is: it holds no one-byte character
// from 0x80 up.
bool IsOwnCharacterOrderKey(std::string_view text, const CodePage& codePage);

} // namespace pelldrake
