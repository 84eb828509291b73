#pragma once

#include "platform/code_page.h"

#include <string_view>

namespace pelldrake {

// True when the whole name is matched by the whole pattern: "*" stands for any run of
// characters, "?" for exactly one, every other character for itself, byte for byte. Both are
// walked by whole characters of the code page, so "?" takes a double-byte character whole.
// The caller upper-cases both first when case should not count.
bool MatchWildcard(const CodePage& codePage, std::string_view pattern, std::string_view name);

} // namespace pelldrake
