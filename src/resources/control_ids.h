#pragma once

#include "core/types.h"

// Control and command ids shared by the templates, the menu and the command table.
namespace pelldrake::ids {

inline constexpr int kCancel = 2;
inline constexpr int kOk = 1;

inline constexpr int kStatusLine = 1003;
inline constexpr int kExpandToggle = 1004;
inline constexpr int kExclude = 1005;
inline constexpr int kListButton = 1190;
inline constexpr int kOpen = 1191;
inline constexpr int kCollapsedMarker = 1228;
inline constexpr int kEnlargeThumbnail = 1220;

inline constexpr int Thumbnail(ListIndex i) {
    return 1050 + i;
}
inline constexpr int ScrollBar(ListIndex i) {
    return 1070 + i;
}
inline constexpr int NumberButton(ListIndex n) {
    return 1089 + n;
} // n = 1 … 10
inline constexpr int MoveAll(ListIndex n) {
    return 1109 + n;
} // n = 1 … 10
inline constexpr int Dispose(ListIndex i) {
    return 1130 + i;
}
inline constexpr int GroupBox(ListIndex i) {
    return 1150 + i;
}
inline constexpr int MoveOne(ListIndex n) {
    return 1169 + n;
} // n = 1 … 10
inline constexpr int Enlarge(ListIndex i) {
    return 1200 + i;
}

} // namespace pelldrake::ids
