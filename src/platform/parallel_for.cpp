#include "platform/parallel_for.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace pelldrake {

namespace {

// Below this a thread costs more than it saves.
constexpr std::size_t kLeastPart = 256;
constexpr unsigned kMostThreads = 8;

} // namespace

void ParallelFor(std::size_t count, const std::function<void(std::size_t begin, std::size_t end)>& work) {
    const std::size_t cores = std::clamp(std::thread::hardware_concurrency(), 1U, kMostThreads);
    const std::size_t parts = std::clamp<std::size_t>(count / kLeastPart, 1, cores);
    if (parts == 1) {
        work(0, count);
        return;
    }
    const std::size_t partSize = (count + parts - 1) / parts;
    std::vector<std::thread> helpers;
    helpers.reserve(parts - 1);
    for (std::size_t part = 1; part < parts; ++part) {
        const std::size_t begin = std::min(count, part * partSize);
        const std::size_t end = std::min(count, begin + partSize);
        helpers.emplace_back([&work, begin, end] { work(begin, end); });
    }
    work(0, std::min(count, partSize));
    for (std::thread& helper : helpers)
        helper.join();
}

} // namespace pelldrake
