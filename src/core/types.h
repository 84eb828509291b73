#pragma once

#include <string>
#include <vector>

namespace pelldrake {

// 0 is the unclassified list, 1 … 10 the classification lists; the button "&0" means list 10.
using ListIndex = int;
inline constexpr ListIndex kUnclassified = 0;
inline constexpr int kListCount = 11;

// A path exactly as the file system spells it, byte for byte.
using FilePath = std::string;
using FilePathList = std::vector<FilePath>;

} // namespace pelldrake
