#include "app/settings_file.h"

#include <cstdio>

namespace pelldrake {

std::string SettingsFile::ExtKey(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "EXT%02d", index);
    return name;
}

int SettingsFile::Number(std::string_view section, std::string_view key, std::string_view defaultText) const {
    return ParseLeadingInt(profile_.ReadText(section, key, defaultText));
}

void SettingsFile::WriteNumber(std::string_view section, std::string_view key, int value) const {
    profile_.WriteText(section, key, std::to_string(value));
}

QRect SettingsFile::ExpandViewRect() const {
    const int top = Number("EXPANDVIEW", "TOP", "0");
    const int bottom = Number("EXPANDVIEW", "BOTTOM", "200");
    const int left = Number("EXPANDVIEW", "LEFT", "0");
    const int right = Number("EXPANDVIEW", "RIGHT", "240");
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

void SettingsFile::WriteExpandViewRect(const QRect& outer) const {
    // Right and bottom are exclusive edges, as the stored defaults 240 and 200 are.
    WriteNumber("EXPANDVIEW", "TOP", outer.top());
    WriteNumber("EXPANDVIEW", "BOTTOM", outer.top() + outer.height());
    WriteNumber("EXPANDVIEW", "LEFT", outer.left());
    WriteNumber("EXPANDVIEW", "RIGHT", outer.left() + outer.width());
}

} // namespace pelldrake
