#include "tools/character_order.h"

namespace pelldrake {

namespace {

constexpr char kHighSingleMark = '\x80';

// A byte below 0x80 that starts a character is the whole character in every code page here, so
// only the others need asking how long they are.
bool IsAscii(char byte) {
    return static_cast<unsigned char>(byte) < 0x80;
}

std::size_t CharLength(std::string_view text, std::size_t pos, const CodePage& codePage) {
    return IsAscii(text[pos]) ? 1 : codePage.CharLength(text, pos);
}

} // namespace

std::string CharacterOrderKey(std::string_view text, const CodePage& codePage) {
    std::string key;
    key.reserve(text.size() + 4);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLength(text, pos, codePage);
        if (length == 1 && !IsAscii(text[pos]))
            key += kHighSingleMark;
        key.append(text.substr(pos, length));
        pos += length;
    }
    return key;
}

bool IsOwnCharacterOrderKey(std::string_view text, const CodePage& codePage) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLength(text, pos, codePage);
        if (length == 1 && !IsAscii(text[pos]))
            return false;
        pos += length;
    }
    return true;
}

} // namespace pelldrake
