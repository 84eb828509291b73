#include "board/class_list.h"

#include <benchmark/benchmark.h>

namespace pelldrake {
namespace {

constexpr int kMillion = 1'000'000;

FilePath PhotoPath(int i) {
    return "/home/user/Pictures/2026/holiday/IMG_" + std::to_string(100000 + i) + ".JPG";
}

void BM_AppendMillionPaths(benchmark::State& state) {
    std::vector<FilePath> paths;
    paths.reserve(kMillion);
    for (int i = 0; i < kMillion; ++i)
        paths.push_back(PhotoPath(i));
    for (auto _ : state) {
        ClassList list;
        BulkUpdate bulk(list);
        for (const FilePath& path : paths)
            list.Append(path);
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(BM_AppendMillionPaths)->Unit(benchmark::kMillisecond);

ClassList& MillionList() {
    static ClassList list = [] {
        ClassList filled;
        for (int i = 0; i < kMillion; ++i)
            filled.Append(PhotoPath(i));
        return filled;
    }();
    return list;
}

// At must not grow with the index.
void BM_AtIndex(benchmark::State& state) {
    const ClassList& list = MillionList();
    const int index = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(list.At(index).size());
}
BENCHMARK(BM_AtIndex)->Arg(0)->Arg(500'000)->Arg(999'999);

// Removing and putting back one entry, at the front, middle and end of a million.
void BM_RemoveAt(benchmark::State& state) {
    ClassList& list = MillionList();
    const int index = static_cast<int>(state.range(0));
    for (auto _ : state) {
        FilePath path = list.At(index);
        list.RemoveAt(index);
        list.InsertBefore(index, std::move(path));
    }
}
BENCHMARK(BM_RemoveAt)->Arg(0)->Arg(500'000)->Arg(999'998)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace pelldrake
