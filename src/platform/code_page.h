#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelldrake {

// Multi-byte text services. Every walk over a path goes through one of these so that a
// trail byte that happens to equal a separator (0x5C in code page 932) is never split off.
class CodePage {
public:
    virtual ~CodePage() = default;

    // True when the byte starts a character of more than one byte.
    virtual bool IsLeadByte(unsigned char byte) const = 0;

    // Byte length of the character that starts at pos (at least 1, never past the end).
    virtual std::size_t CharLength(std::string_view text, std::size_t pos) const = 0;

    // Upper-cases the letters the code page folds; every other byte stays as it is.
    virtual std::string ToUpper(std::string_view text) const = 0;

    std::size_t Next(std::string_view text, std::size_t pos) const;
    // Start of the character that ends right before pos; 0 when pos is at the start.
    std::size_t Previous(std::string_view text, std::size_t pos) const;

    // Character by character; a multi-byte character compares by its whole value.
    int Compare(std::string_view a, std::string_view b) const;
    int CompareNoCase(std::string_view a, std::string_view b) const;

private:
    unsigned CharValue(std::string_view text, std::size_t pos, std::size_t length) const;
};

class Utf8CodePage final : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override;
    std::size_t CharLength(std::string_view text, std::size_t pos) const override;
    std::string ToUpper(std::string_view text) const override;
};

// Shift-JIS as Windows has it (code page 932).
class Cp932CodePage final : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override;
    std::size_t CharLength(std::string_view text, std::size_t pos) const override;
    std::string ToUpper(std::string_view text) const override;
};

// The code page of file names on this platform.
const CodePage& NativeCodePage();

} // namespace pelldrake
