#pragma once

#include <string>
#include <string_view>

namespace pelldrake {

// The order in which the desktop's file managers list a folder: letter case ignored and runs of
// digits compared by their value, so that "IMG_2.jpg" comes before "IMG_10.jpg" and "a.jpg"
// before "B.jpg". Names are compared through keys made once per name: byte-wise comparison of
// two keys gives the order; names with equal keys ("IMG_02", "IMG_2") go by their bytes.
//
// Letters are folded by Unicode's rules in names that are valid UTF-8; in other names only the
// ASCII letters are, the other bytes compare as they are.
std::string NameSortKey(std::string_view name);

} // namespace pelldrake
