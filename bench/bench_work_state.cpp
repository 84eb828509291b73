// Saving and loading a work state of 100,000 existing files spread over the eleven lists, against
// a bare loop that reads the same file line by line and stats each line. The files live in a
// temporary folder made once per run; every timed pass runs on a warm cache.
#include "board/board.h"
#include "state/work_state_reader.h"
#include "state/work_state_writer.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <sys/stat.h>

namespace pelldrake {
namespace {

constexpr int kEntries = 100'000;
constexpr int kFilesPerFolder = 1000;

struct Sample {
    QTemporaryDir dir;
    FilePath stateFile;
    Board board;

    Sample() {
        const std::string root = dir.path().toStdString();
        for (int i = 0; i < kEntries; ++i) {
            const std::string folder = root + "/day" + std::to_string(i / kFilesPerFolder);
            if (i % kFilesPerFolder == 0)
                ::mkdir(folder.c_str(), 0700);
            FilePath path = folder + "/IMG_" + std::to_string(100000 + i) + ".JPG";
            std::ofstream(path) << 'x';
            board.List(i % kListCount).Append(std::move(path));
        }
        stateFile = root + "/work.PLD";
        WriteWorkStateFile(board, stateFile);
    }
};

Sample& TheSample() {
    static Sample sample;
    return sample;
}

void BM_SaveWorkState(benchmark::State& state) {
    Sample& sample = TheSample();
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteWorkStateFile(sample.board, sample.stateFile));
}
BENCHMARK(BM_SaveWorkState)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadWorkState(benchmark::State& state) {
    Sample& sample = TheSample();
    LoadCallbacks callbacks;
    callbacks.askMissing = [](std::string_view) { return MissingFileAnswer::Stop; };
    for (auto _ : state) {
        state.PauseTiming();
        auto board = std::make_unique<Board>();
        state.ResumeTiming();
        ReadWorkStateFile(*board, sample.stateFile, callbacks);
        state.PauseTiming();
        if (board->TotalCount() != kEntries)
            state.SkipWithError("not every entry loaded");
        board.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadWorkState)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor a load cannot go below: read each line and stat it, nothing else.
void BM_BareReadAndStat(benchmark::State& state) {
    Sample& sample = TheSample();
    for (auto _ : state) {
        std::ifstream in(sample.stateFile, std::ios::binary);
        std::string line;
        int found = 0;
        struct stat info {};
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            found += ::stat(line.c_str(), &info) == 0;
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_BareReadAndStat)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace pelldrake
