#pragma once

// The texts of writing a list's decision into XMP sidecars.
namespace pelldrake::strings {

inline constexpr const char* kXmpListUnclassified = "未分類リスト";
inline constexpr const char* kXmpListClass = "分類リスト%1";
inline constexpr const char* kXmpKeep = "変更しない";
inline constexpr const char* kXmpNone = "なし";
inline constexpr const char* kXmpStars = "★%1";
inline constexpr const char* kXmpRejected = "却下";
inline constexpr const char* kXmpLabels[] = {"赤", "黄", "緑", "青", "紫"};
// %1: the pictures, one a line.
inline constexpr const char* kXmpFailed = "XMPに記録できなかったファイルがあります。\r\n%1";

} // namespace pelldrake::strings
