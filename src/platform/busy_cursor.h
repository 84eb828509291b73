#pragma once

namespace pelldrake {

// Shows the wait cursor for the lifetime of the object. Without a QGuiApplication (unit tests,
// command-line tools) there is no cursor to change and the guard does nothing.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool active_;
};

} // namespace pelldrake
