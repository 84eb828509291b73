#pragma once

namespace pelldrake {

// Marks the time a long run (a disposal, a folder scan, a work-state load) works on the lists.
// Such a run lets the window repaint through an event loop that holds back keys and clicks, but
// timers and drops still arrive there; the board window asks Held() and refuses every command
// and drop until the run is over.
class RunLock {
public:
    bool Held() const { return depth_ > 0; }

    // Holds the lock for its lifetime, however the run ends; runs may nest.
    class Scope {
    public:
        explicit Scope(RunLock& lock) : lock_(lock) { ++lock_.depth_; }
        ~Scope() { --lock_.depth_; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        RunLock& lock_;
    };

private:
    int depth_ = 0;
};

} // namespace pelldrake
