#include "tools/row_order.h"

#include "tools/column_text.h"

#include <algorithm>
#include <numeric>

namespace pelldrake {

std::string CharacterOrderKey(std::string_view text, const CodePage& codePage) {
    std::string key;
    key.reserve(text.size() * 2);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = codePage.CharLength(text, pos);
        key += static_cast<char>(length);
        key.append(text.substr(pos, length));
        pos += length;
    }
    return key;
}

void SortRows(std::vector<int>& rows, const ClassList& list, int column, bool ascending, const PathText& pathText) {
    // Keys once per sort: a comparison then costs one memcmp, not a walk over two paths.
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (int position : rows)
        keys.push_back(
            CharacterOrderKey(ColumnText(list, position, column, pathText).value_or(""), pathText.codePage()));
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&keys, ascending](std::size_t a, std::size_t b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
    std::vector<int> sorted;
    sorted.reserve(rows.size());
    for (std::size_t index : order)
        sorted.push_back(rows[index]);
    rows = std::move(sorted);
}

} // namespace pelldrake
