#pragma once

#include "board/class_list.h"
#include "platform/path_text.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace pelldrake {

// The keys of one sort of rows by a column, each found once. A row carries the first bytes of its
// key after the prefix every key shares, so that most comparisons settle on one integer and never
// reach the key itself, which lies wherever its path does.
class SortKeys {
public:
    struct Item {
        // Seven key bytes after the shared prefix, zero-padded and big-endian, then how many key
        // bytes follow the prefix, up to kLongKey: a key that ends within the seven needs no more.
        std::uint64_t head;
        std::uint32_t key; // index into the keys
        std::uint32_t row; // the row's index before the sort
    };

    // Keys for rows that each hold a position in list; a row without an entry gets the empty key.
    // The list must not change while the keys are in use: most of them are views into its paths.
    SortKeys(const std::vector<int>& rows, const ClassList& list, int column, const PathText& pathText);

    // One item per row, in the rows' order.
    std::vector<Item>& items() { return items_; }

    // Negative, zero or positive as a's key sorts before, with or after b's.
    int Compare(const Item& a, const Item& b) const {
        if (a.head != b.head)
            return a.head < b.head ? -1 : 1;
        return (a.head & 0xFF) == kLongKey ? CompareRest(a.key, b.key) : 0;
    }

private:
    static constexpr std::size_t kHeadBytes = 7;
    static constexpr std::uint64_t kLongKey = kHeadBytes + 1;

    std::uint64_t HeadOf(std::string_view key, std::size_t sharedPrefix) const;
    int CompareRest(std::uint32_t a, std::uint32_t b) const;

    std::vector<std::string_view> keys_; // by list position, then the empty key
    std::deque<std::string> builtKeys_;  // the few keys that are not their text
    std::size_t sharedPrefix_ = 0;
    std::vector<Item> items_;
};

} // namespace pelldrake
