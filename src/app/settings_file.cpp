#include "app/settings_file.h"

#include "platform/profile_text.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

namespace pelldrake {

namespace {

// Stored edges may be anything a hand edit makes of them; their differences and sums are taken in
// 64 bits and brought back into the range a rectangle can hold.
int ClampToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

} // namespace

std::string SettingsFile::ExtKey(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "EXT%02d", index);
    return name;
}

std::vector<std::string> SettingsFile::ExtFilterPatterns() const {
    const std::shared_ptr<const ProfileText> text = profile_.Parsed();
    int end = 0;
    for (const std::string& key : text->Keys("EXTFILTER")) {
        if (key.size() < 5 || key.size() > 12 || key.compare(0, 3, "EXT") != 0)
            continue;
        if (key.find_first_not_of("0123456789", 3) != std::string::npos)
            continue;
        const long long index = std::stoll(key.substr(3));
        // Only the spelling ExtKey gives is read back: EXT005 is not the fifth pattern.
        if (index < INT_MAX && ExtKey(static_cast<int>(index)) == key)
            end = std::max(end, static_cast<int>(index) + 1);
    }
    const std::string* count = text->Find("EXTFILTER", "COUNT");
    std::vector<std::string> patterns;
    for (int index = 0; index < std::min(end, count ? ParseLeadingInt(*count) : 0); ++index) {
        const std::string* pattern = text->Find("EXTFILTER", ExtKey(index));
        patterns.push_back(pattern ? *pattern : "0");
    }
    return patterns;
}

int SettingsFile::Number(std::string_view section, std::string_view key, std::string_view defaultText) const {
    return ParseLeadingInt(profile_.ReadText(section, key, defaultText));
}

void SettingsFile::WriteNumber(std::string_view section, std::string_view key, int value) const {
    profile_.WriteText(section, key, std::to_string(value));
}

int SettingsFile::CompareCells() const {
    return std::clamp(Number("EXPANDVIEW", "COMPARE", "2"), 2, 4);
}

int SettingsFile::XmpSidecarForm() const {
    const int form = Number("XMP", "SIDECAR", "0");
    return form >= 0 && form <= 2 ? form : 0;
}

QRect SettingsFile::ExpandViewRect() const {
    const int top = Number("EXPANDVIEW", "TOP", "0");
    const int bottom = Number("EXPANDVIEW", "BOTTOM", "200");
    const int left = Number("EXPANDVIEW", "LEFT", "0");
    const int right = Number("EXPANDVIEW", "RIGHT", "240");
    // A reversed rectangle is an empty one (the window takes its minimum size then); a width
    // beyond what an int holds is cut. Right and bottom are exclusive edges.
    const std::int64_t width = std::clamp<std::int64_t>(std::int64_t{right} - left, 0, INT_MAX);
    const std::int64_t height = std::clamp<std::int64_t>(std::int64_t{bottom} - top, 0, INT_MAX);
    return QRect(QPoint(left, top), QPoint(ClampToInt(left + width - 1), ClampToInt(top + height - 1)));
}

void SettingsFile::WriteExpandViewRect(const QRect& outer) const {
    // Right and bottom are exclusive edges, as the stored defaults 240 and 200 are.
    WriteNumber("EXPANDVIEW", "TOP", outer.top());
    WriteNumber("EXPANDVIEW", "BOTTOM", ClampToInt(std::int64_t{outer.bottom()} + 1));
    WriteNumber("EXPANDVIEW", "LEFT", outer.left());
    WriteNumber("EXPANDVIEW", "RIGHT", ClampToInt(std::int64_t{outer.right()} + 1));
}

} // namespace pelldrake
