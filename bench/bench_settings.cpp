#include "app/settings_file.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace pelldrake {
namespace {

// A settings file as a user would have it after some use, read 1,000 times.
void BM_ThousandSettingsReads(benchmark::State& state) {
    QTemporaryDir dir;
    const SettingsFile settings(dir.filePath("pelldrake.INI"));
    settings.WriteDialogMode(1);
    settings.WriteExtFilterEnable(true);
    for (int i = 0; i < 20; ++i)
        settings.WriteExtFilterPattern(i, "ext" + std::to_string(i));
    settings.WriteExtFilterCount(20);
    settings.WriteExpandViewRect(QRect(10, 10, 400, 300));
    for (auto _ : state) {
        int sum = 0;
        for (int i = 0; i < 1000; ++i)
            sum += settings.DeleteThumbDb();
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ThousandSettingsReads)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pelldrake
