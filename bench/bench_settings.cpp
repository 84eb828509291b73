#include "app/settings_file.h"
#include "intake/extension_filter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
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

// A hand-edited filter: 30,000 patterns under COUNT=2147483647.
void BM_LoadPatternsUnderAHugeCount(benchmark::State& state) {
    QTemporaryDir dir;
    QByteArray content = "[EXTFILTER]\r\nCOUNT=2147483647\r\n";
    for (int i = 0; i < 30000; ++i)
        content += QByteArray::fromStdString(SettingsFile::ExtKey(i) + "=e" + std::to_string(i) + "\r\n");
    QFile file(dir.filePath("pelldrake.INI"));
    file.open(QIODevice::WriteOnly);
    file.write(content);
    file.close();
    const SettingsFile settings(dir.filePath("pelldrake.INI"));
    for (auto _ : state)
        benchmark::DoNotOptimize(ExtensionFilter::Load(settings).size());
}
BENCHMARK(BM_LoadPatternsUnderAHugeCount)->Unit(benchmark::kMillisecond);

// Start-up reads some twenty keys; here from 16 MB of blank lines.
void BM_TwentyReadsFromALargeFile(benchmark::State& state) {
    QTemporaryDir dir;
    QFile file(dir.filePath("pelldrake.INI"));
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray(16 * 1024 * 1024 - 64, '\n') + "[DIALOG]\nMODE=1\n");
    file.close();
    const SettingsFile settings(dir.filePath("pelldrake.INI"));
    // At start-up the file is older than its times' granularity, so they vouch for its content.
    QThread::sleep(3);
    for (auto _ : state) {
        int sum = 0;
        for (int i = 0; i < 20; ++i)
            sum += settings.DialogMode();
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_TwentyReadsFromALargeFile)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pelldrake
