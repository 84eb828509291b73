#include "tools/match_wildcard.h"

#include <optional>

namespace pelldrake {

namespace {

bool SameCharacter(std::string_view a, std::size_t aLength, std::string_view b, std::size_t bLength) {
    return aLength == bLength && a.substr(0, aLength) == b.substr(0, bLength);
}

} // namespace

// Trying every split after each "*" in turn takes time that grows with the power of the number
// of stars. Only the last star ever needs to take more characters: whatever an earlier star
// could absorb, the later one can as well. So one backtrack point suffices and the time stays
// bounded by the product of the two lengths, with the same answers.
bool MatchWildcard(const CodePage& codePage, std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::optional<std::size_t> afterStar; // pattern position right after the last "*"
    std::size_t starName = 0;             // where the name resumes when that star takes one more

    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            afterStar = ++p;
            starName = n;
            continue;
        }
        const std::size_t nameLength = codePage.CharLength(name, n);
        if (p < pattern.size()) {
            const std::size_t patternLength = codePage.CharLength(pattern, p);
            if ((patternLength == 1 && pattern[p] == '?') ||
                SameCharacter(pattern.substr(p), patternLength, name.substr(n), nameLength)) {
                p += patternLength;
                n += nameLength;
                continue;
            }
        }
        if (!afterStar)
            return false;
        p = *afterStar;
        starName += codePage.CharLength(name, starName);
        n = starName;
    }
    // The name is used up: only stars may be left of the pattern.
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace pelldrake
