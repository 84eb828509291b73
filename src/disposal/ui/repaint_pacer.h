#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>

namespace pelldrake {

// The progress hook of a long disposal: lets the window repaint, but not more often than every
// 20 ms, since handling events after every chunk of a fast copy would cost more than the copy.
// Clicks and keys wait until the run is over.
class RepaintPacer {
public:
    RepaintPacer() { sinceRepaint_.start(); }

    void operator()() {
        const qint64 elapsed = sinceRepaint_.elapsed();
        if (elapsed < kInterval)
            return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        longestGap_ = std::max(longestGap_, elapsed);
        sinceRepaint_.restart();
    }

    // The longest the window went without a repaint, in milliseconds.
    qint64 longestGap() const { return longestGap_; }

    static constexpr qint64 kInterval = 20;

private:
    QElapsedTimer sinceRepaint_;
    qint64 longestGap_ = 0;
};

} // namespace pelldrake
