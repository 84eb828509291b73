#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace pelldrake {

// Closes a file descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Hands the descriptor on, to be closed by its new owner.
    int release() { return std::exchange(fd_, -1); }
    // Closing can report a write the kernel deferred (a full disk on a network file system): 0 or
    // the error.
    int Close() {
        const int result = ::close(std::exchange(fd_, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

} // namespace pelldrake
