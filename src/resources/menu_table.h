#pragma once

#include <vector>

namespace pelldrake {

// One entry of a menu: a command, a submenu (children) or a separator (id 0, no text).
struct MenuEntry {
    int id;
    const char* text; // UTF-8, with its mnemonic
    std::vector<MenuEntry> children;

    bool IsSeparator() const { return text == nullptr; }
    bool IsSubmenu() const { return !children.empty(); }
};

// The board's menu bar (menu 135): its top-level entries, each a submenu.
const std::vector<MenuEntry>& BoardMenu();

namespace menu_ids {
inline constexpr int kAddFiles = 32774;
inline constexpr int kAddFolder = 32813;
inline constexpr int kMoveToFolderFirst = 32776; // … 32786, list 0 … 10
inline constexpr int kLoadWorkState = 32843;
inline constexpr int kSaveWorkState = 32844;
inline constexpr int kExtensionFilterDialog = 32799;
inline constexpr int kApplyExtensionFilter = 32812;
inline constexpr int kExit = 32771;
inline constexpr int kUndo = 32850;
inline constexpr int kRedo = 32851;
inline constexpr int kFileList = 1190;
inline constexpr int kMoveToListFirst = 32787; // … 32797
inline constexpr int kFromClipboard = 32814;
inline constexpr int kToClipboardFirst = 32815; // … 32825
inline constexpr int kClearUnclassified = 32827;
inline constexpr int kClearAll = 32826;
inline constexpr int kDeleteFirst = 32829; // … 32839
inline constexpr int kDeleteAll = 32840;
inline constexpr int kAutoClassify = 32842;
inline constexpr int kRawJpegPairs = 32852;
inline constexpr int kXmpRatings = 32858;
inline constexpr int kExpand = 32798;
inline constexpr int kEnlargeFirst = 32800; // … 32810
inline constexpr int kCloseEnlarge = 32811;
inline constexpr int kActualSize = 32853;
inline constexpr int kCompare = 32854;
inline constexpr int kPinFirst = 32855;
inline constexpr int kShootingInfo = 32856;
inline constexpr int kHistogram = 32857;
inline constexpr int kHelpContents = 32772;
inline constexpr int kAbout = 32773;
} // namespace menu_ids

} // namespace pelldrake
