#include "platform/code_page.h"

namespace pelldrake {

namespace {

unsigned char ByteAt(std::string_view text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]);
}

bool IsUtf8Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Appends the UTF-8 encoding of a code point below 0x10000.
void AppendUtf8(std::string& out, unsigned codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// The letters both code pages fold: full-width Latin, Greek and Cyrillic.
unsigned UpperCodePoint(unsigned cp) {
    if (cp >= 0xFF41 && cp <= 0xFF5A) // ａ … ｚ
        return cp - 0x20;
    if ((cp >= 0x03B1 && cp <= 0x03C1) || (cp >= 0x03C3 && cp <= 0x03C9)) // α … ω without final sigma
        return cp - 0x20;
    if (cp >= 0x0430 && cp <= 0x044F) // а … я
        return cp - 0x20;
    if (cp == 0x0451) // ё
        return 0x0401;
    return cp;
}

} // namespace

std::size_t CodePage::Next(std::string_view text, std::size_t pos) const {
    if (pos >= text.size())
        return text.size();
    return pos + CharLength(text, pos);
}

std::size_t CodePage::Previous(std::string_view text, std::size_t pos) const {
    // A trail byte can look like a lead byte, so the only safe way back is a walk from the start.
    std::size_t start = 0;
    for (std::size_t i = 0; i < pos && i < text.size(); i = Next(text, i))
        start = i;
    return start;
}

unsigned CodePage::CharValue(std::string_view text, std::size_t pos, std::size_t length) const {
    unsigned value = 0;
    for (std::size_t i = 0; i < length; ++i)
        value = (value << 8) | ByteAt(text, pos + i);
    return value;
}

int CodePage::Compare(std::string_view a, std::string_view b) const {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t lengthA = CharLength(a, i);
        const std::size_t lengthB = CharLength(b, j);
        const unsigned valueA = CharValue(a, i, lengthA);
        const unsigned valueB = CharValue(b, j, lengthB);
        if (valueA != valueB)
            return valueA < valueB ? -1 : 1;
        i += lengthA;
        j += lengthB;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

int CodePage::CompareNoCase(std::string_view a, std::string_view b) const {
    return Compare(ToUpper(a), ToUpper(b));
}

bool Utf8CodePage::IsLeadByte(unsigned char byte) const {
    return byte >= 0xC2 && byte <= 0xF4;
}

std::size_t Utf8CodePage::CharLength(std::string_view text, std::size_t pos) const {
    const unsigned char lead = ByteAt(text, pos);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    // A broken sequence counts byte by byte, so names that are not valid UTF-8 still walk.
    for (std::size_t i = 1; i < length; ++i) {
        if (pos + i >= text.size() || !IsUtf8Continuation(ByteAt(text, pos + i)))
            return 1;
    }
    return length;
}

std::string Utf8CodePage::ToUpper(std::string_view text) const {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLength(text, pos);
        const unsigned char lead = ByteAt(text, pos);
        if (length == 1) {
            out += (lead >= 'a' && lead <= 'z') ? static_cast<char>(lead - 0x20) : static_cast<char>(lead);
        } else if (length <= 3) {
            unsigned cp = length == 2 ? (lead & 0x1F) : (lead & 0x0F);
            for (std::size_t i = 1; i < length; ++i)
                cp = (cp << 6) | (ByteAt(text, pos + i) & 0x3F);
            const unsigned upper = UpperCodePoint(cp);
            if (upper == cp)
                out.append(text.substr(pos, length));
            else
                AppendUtf8(out, upper);
        } else {
            out.append(text.substr(pos, length));
        }
        pos += length;
    }
    return out;
}

bool Cp932CodePage::IsLeadByte(unsigned char byte) const {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::size_t Cp932CodePage::CharLength(std::string_view text, std::size_t pos) const {
    if (IsLeadByte(ByteAt(text, pos)) && pos + 1 < text.size())
        return 2;
    return 1;
}

std::string Cp932CodePage::ToUpper(std::string_view text) const {
    std::string out(text);
    for (std::size_t pos = 0; pos < out.size();) {
        const std::size_t length = CharLength(out, pos);
        const unsigned char lead = ByteAt(out, pos);
        if (length == 1) {
            if (lead >= 'a' && lead <= 'z')
                out[pos] = static_cast<char>(lead - 0x20);
        } else {
            const unsigned char trail = ByteAt(out, pos + 1);
            int upperTrail = -1;
            if (lead == 0x82 && trail >= 0x81 && trail <= 0x9A) // ａ … ｚ → Ａ … Ｚ
                upperTrail = trail - 0x21;
            else if (lead == 0x83 && trail >= 0xBF && trail <= 0xD6) // α … ω → Α … Ω
                upperTrail = trail - 0x20;
            else if (lead == 0x84 && trail >= 0x70 && trail <= 0x91 && trail != 0x7F) // а … я, 0x7F is no trail byte
                upperTrail = 0x40 + (trail <= 0x7E ? trail - 0x70 : trail - 0x71);
            if (upperTrail >= 0)
                out[pos + 1] = static_cast<char>(upperTrail);
        }
        pos += length;
    }
    return out;
}

const CodePage& NativeCodePage() {
    static const Utf8CodePage utf8;
    return utf8;
}

} // namespace pelldrake
