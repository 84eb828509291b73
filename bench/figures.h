#pragma once

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cstddef>
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
