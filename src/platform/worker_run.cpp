#include "platform/worker_run.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace pelldrake {

namespace {

// What the worker last reported, kept for the user-interface thread to pick up.
class ProgressRelay : public ProgressSink {
public:
    void Report(std::size_t done, std::size_t total, std::string_view at) override {
        const std::lock_guard lock(mutex_);
        done_ = done;
        total_ = total;
        at_.assign(at);
        fresh_ = true;
    }
    bool StopRequested() override { return stop_.load(std::memory_order_relaxed); }

    void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
    void PassOn(ProgressSink& shown) {
        std::size_t done = 0;
        std::size_t total = 0;
        std::string at;
        {
            const std::lock_guard lock(mutex_);
            if (!fresh_)
                return;
            fresh_ = false;
            done = done_;
            total = total_;
            at.swap(at_);
        }
        shown.Report(done, total, at);
    }

private:
    std::mutex mutex_;
    std::size_t done_ = 0;
    std::size_t total_ = 0;
    std::string at_;
    bool fresh_ = false;
    std::atomic<bool> stop_{false};
};

// Often enough for a progress line that moves, rarely enough to cost the worker nothing.
constexpr int kRelayIntervalMs = 50;

// The stop check of the run under way, for OnUserInterfaceThread; touched on the user-interface
// thread only.
std::function<void()>* passStop = nullptr;
// Whether a question of a run is open: its progress waits meanwhile, so that a progress box does
// not come up over the question and take the keys meant for it.
bool asking = false;

} // namespace

void RunOffThread(ProgressSink* shown, const std::function<void(ProgressSink&)>& work) {
    // Without an application's event loop to keep turning (a tool, a test of the core) there is
    // no window to keep answering: the work runs here.
    const QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        struct : ProgressSink {
            void Report(std::size_t, std::size_t, std::string_view) override {}
        } silent;
        work(shown ? *shown : silent);
        return;
    }
    ProgressRelay relay;
    QEventLoop loop;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        work(relay);
        finished.store(true);
        // Queued, so it is heard even when the loop has not started yet.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    std::function<void()> stopCheck = [&] {
        if (shown && shown->StopRequested())
            relay.RequestStop();
    };
    std::function<void()>* const outerStop = std::exchange(passStop, &stopCheck);
    QTimer relayTimer;
    QObject::connect(&relayTimer, &QTimer::timeout, [&] {
        if (!shown || finished.load() || asking)
            return;
        relay.PassOn(*shown);
        stopCheck();
    });
    relayTimer.start(kRelayIntervalMs);
    loop.exec();
    worker.join();
    passStop = outerStop;
}

namespace {

void RunOnUserInterfaceThread(const std::function<void()>& task, bool isQuestion) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread()) {
        task();
        return;
    }
    QMetaObject::invokeMethod(
        application,
        [&task, isQuestion] {
            const bool outerAsking = std::exchange(asking, asking || isQuestion);
            task();
            asking = outerAsking;
            // A stop asked while the user answered reaches the work before it goes on.
            if (passStop)
                (*passStop)();
        },
        Qt::BlockingQueuedConnection);
}

} // namespace

void OnUserInterfaceThread(const std::function<void()>& task) {
    RunOnUserInterfaceThread(task, false);
}

void AskOnUserInterfaceThread(const std::function<void()>& question) {
    RunOnUserInterfaceThread(question, true);
}

} // namespace pelldrake
