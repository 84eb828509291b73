#pragma once

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>

// Times a run and the longest its events wait, as a window manager's ping would see it: a timer
// ticking every 5 ms on this thread, and the longest gap between its ticks.
struct RunFigures {
    double ms = 0;
    double longestWaitMs = 0;
};

inline RunFigures Pinged(const std::function<void()>& run) {
    using Clock = std::chrono::steady_clock;
    const auto milliseconds = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    Clock::time_point last = Clock::now();
    double longest = 0;
    QTimer ping;
    ping.setTimerType(Qt::PreciseTimer);
    ping.setInterval(5);
    QObject::connect(&ping, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        longest = std::max(longest, milliseconds(now - last));
        last = now;
    });
    ping.start();
    QCoreApplication::processEvents();
    const auto start = Clock::now();
    last = start;
    run();
    const auto end = Clock::now();
    return {milliseconds(end - start), std::max(longest, milliseconds(end - last))};
}
