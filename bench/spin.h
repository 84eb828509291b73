#pragma once

#include <QEventLoop>
#include <QTimer>

// Keeps the event loop turning for ms, so the loader's finished decodes are heard of at once;
// QTest::qWait sleeps in 10 ms slices, which would leave the decoding threads idle.
inline void Spin(int ms) {
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
