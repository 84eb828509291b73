#include "thumbs/child_decode.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <shared_mutex>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pelldrake {
namespace {

// How soon work given up is noticed.
constexpr int kAbandonPollMs = 10;
// A child that has neither finished nor died by then is stuck, whatever it does.
constexpr int kChildTimeLimitMs = 120'000;

std::shared_mutex& LibraryMutex() {
    static std::shared_mutex mutex;
    return mutex;
}

thread_local int libraryUseDepth = 0;

bool IsAbandoned(const std::atomic<bool>* abandoned) {
    return abandoned != nullptr && abandoned->load(std::memory_order_relaxed);
}

[[noreturn]] void RunChild(int reportFd, const std::function<int()>& work) {
    const int result = work();
    const auto report = static_cast<unsigned char>(result > 0 && result < 256 ? result : 0);
    [[maybe_unused]] const ssize_t written = ::write(reportFd, &report, 1);
    // No exit handlers: they belong to the parent's state.
    ::_exit(0);
}

// What the child reported; the child is ended either way.
int AwaitChild(pid_t child, int reportFd, const std::atomic<bool>* abandoned) {
    int reported = 0;
    for (int waited = 0;; waited += kAbandonPollMs) {
        pollfd report{reportFd, POLLIN, 0};
        const int ready = ::poll(&report, 1, kAbandonPollMs);
        if (ready > 0) {
            unsigned char byte = 0;
            if (::read(reportFd, &byte, 1) == 1) // nothing: the child died
                reported = byte;
            break;
        }
        if ((ready < 0 && errno != EINTR) || IsAbandoned(abandoned) || waited >= kChildTimeLimitMs) {
            ::kill(child, SIGKILL);
            break;
        }
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return reported;
}

} // namespace

SharedBytes::SharedBytes(std::size_t size) {
    if (size == 0)
        return;
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return;
    data_ = static_cast<uchar*>(mapped);
    size_ = size;
}

SharedBytes::~SharedBytes() {
    if (data_ != nullptr)
        ::munmap(data_, size_);
}

LibraryUse::LibraryUse() {
    if (libraryUseDepth++ == 0)
        LibraryMutex().lock_shared();
}

LibraryUse::~LibraryUse() {
    if (--libraryUseDepth == 0)
        LibraryMutex().unlock_shared();
}

int RunInChildProcess(const std::atomic<bool>* abandoned, const std::function<int()>& work) {
    // Holding the library here would wait for itself at the fork.
    if (IsAbandoned(abandoned) || libraryUseDepth > 0)
        return 0;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return 0;
    pid_t child = -1;
    {
        const std::unique_lock noLibraryInUse(LibraryMutex());
        child = ::fork();
    }
    if (child == 0) {
        ::close(report[0]);
        RunChild(report[1], work);
    }
    ::close(report[1]);
    const int reported = child > 0 ? AwaitChild(child, report[0], abandoned) : 0;
    ::close(report[0]);
    return IsAbandoned(abandoned) ? 0 : reported;
}

} // namespace pelldrake
