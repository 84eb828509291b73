#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

// Keeps the event loop turning for ms, so the loader's finished decodes are heard of at once;
// QTest::qWait sleeps in 10 ms slices, which would leave the decoding threads idle.
inline void Spin(int ms) {
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() holds; false after timeoutMs.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() >= timeoutMs)
            return false;
        Spin(1);
    }
    return true;
}
