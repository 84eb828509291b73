#pragma once

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

inline double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5)];
}

inline double Median(const std::vector<double>& values) {
    return Percentile(values, 0.5);
}

inline double Ms(long long nanoseconds) {
    return static_cast<double>(nanoseconds) / 1e6;
}

// Other programs on the machine slow the decodes down; the one-minute load shows how much.
inline QByteArray LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0) : QByteArray("?");
}

// A field of /proc/self/status in MiB (VmRSS:, VmHWM:).
inline double StatusMiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<int>(qstrlen(field))).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

// Starts the peak resident size over from the present one.
inline void ResetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        std::fprintf(stderr, "cannot reset the peak memory: the peak below counts from the start\n");
}
