#pragma once

#include <string_view>

namespace pelldrake {

// Space, tab, carriage return and line feed: ASCII bytes that are never the trail byte of a
// double-byte character, so trimming byte by byte is safe in every code page we use.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

inline std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace pelldrake
