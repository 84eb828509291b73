#pragma once

#include "board/class_list.h"
#include "platform/path_text.h"

#include <optional>
#include <string_view>

namespace pelldrake {

// The columns of the file list window.
enum FileListColumn { kNameColumn = 0, kExtensionColumn = 1, kFolderColumn = 2, kFileListColumnCount = 3 };

// The text a column shows for a path: the file name without its last extension, the extension,
// or the folder without its trailing separator. A view into the path itself: nothing is built.
std::string_view ColumnTextOf(std::string_view path, int column, const PathText& pathText = PathText::Native());

// The same for the entry at a position; nothing when the list has no entry there.
std::optional<std::string_view> ColumnText(const ClassList& list, int position, int column,
                                           const PathText& pathText = PathText::Native());

} // namespace pelldrake
