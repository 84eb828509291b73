#pragma once

#include "board/class_list.h"
#include "platform/path_text.h"

#include <string>
#include <string_view>
#include <vector>

namespace pelldrake {

// A text turned into bytes whose plain order is the code page's character order: each
// character as its length and then its bytes, so a double-byte character compares by its
// two-byte value and above every single byte.
std::string CharacterOrderKey(std::string_view text, const CodePage& codePage);

// Reorders rows, each holding the position of an entry of list, by the column's text of their
// entries. Rows whose texts are equal keep their order; a row without an entry sorts as empty.
void SortRows(std::vector<int>& rows, const ClassList& list, int column, bool ascending,
              const PathText& pathText = PathText::Native());

} // namespace pelldrake
