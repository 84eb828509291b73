#pragma once

#include "board/class_list.h"
#include "platform/path_text.h"
#include "tools/character_order.h"

#include <vector>

namespace pelldrake {

// Reorders rows, each holding the position of an entry of list, by the column's text of their
// entries. Rows whose texts are equal keep their order; a row without an entry sorts as empty.
void SortRows(std::vector<int>& rows, const ClassList& list, int column, bool ascending,
              const PathText& pathText = PathText::Native());

} // namespace pelldrake
