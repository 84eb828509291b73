#pragma once

#include <cstddef>
#include <functional>

namespace pelldrake {

// Runs work over [0, count) cut into one contiguous part a processor core, this thread taking the
// first part, and returns when every part is done. For the examination of many files (a stat
// each): a file system answers several threads at once, so a million files take a fraction of
// the time one thread would.
void ParallelFor(std::size_t count, const std::function<void(std::size_t begin, std::size_t end)>& work);

} // namespace pelldrake
