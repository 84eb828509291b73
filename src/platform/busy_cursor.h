#pragma once

namespace pelldrake {

// Shows the wait cursor for the lifetime of the object. Without a QGuiApplication (unit tests,
// command-line tools) there is no cursor to change, and off the user-interface thread the cursor
// is not ours to touch: the guard then does nothing.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool active_;
};

// Takes the wait cursor away for the lifetime of the object and puts it back after: a run that
// stops to ask the user waits for the user, and the cursor must not say otherwise.
class BusyCursorLifted {
public:
    BusyCursorLifted();
    ~BusyCursorLifted();
    BusyCursorLifted(const BusyCursorLifted&) = delete;
    BusyCursorLifted& operator=(const BusyCursorLifted&) = delete;

private:
    int lifted_ = 0;
};

} // namespace pelldrake
