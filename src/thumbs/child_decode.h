#pragma once

#include <QtGlobal>
#include <atomic>
#include <cstddef>
#include <functional>

namespace pelldrake {

// Memory mapped before a fork and shared with the child: what the child writes there, the parent
// reads. Empty when it could not be mapped.
class SharedBytes {
public:
    explicit SharedBytes(std::size_t size);
    ~SharedBytes();
    SharedBytes(const SharedBytes&) = delete;
    SharedBytes& operator=(const SharedBytes&) = delete;

    uchar* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    uchar* data_ = nullptr;
    std::size_t size_ = 0;
};

// Runs work in a child process of its own, forked from the calling thread. Work given up is ended
// at once (the child is killed), where a library such as libheif cannot be stopped once it
// decodes; and a library that aborts on a damaged file takes only the child with it.
//
// work returns a number from 1 to 255 to report, or 0 when it failed; its results go to
// SharedBytes. Returns what it reported, or 0 when it failed, died, or abandoned turned true
// first. In the child only this thread exists: work may use only what was prepared before the call
// and libraries whose every use holds LibraryUse (never Qt's image functions, which hand work to
// threads the child does not have).
int RunInChildProcess(const std::atomic<bool>* abandoned, const std::function<int()>& work);

// Held by every thread of this process while it calls into a library that children use (libheif
// with its decoders), so that a fork never copies a lock of that library half-taken. A thread may
// hold it more than once at a time, but never while it calls RunInChildProcess.
class LibraryUse {
public:
    LibraryUse();
    ~LibraryUse();
    LibraryUse(const LibraryUse&) = delete;
    LibraryUse& operator=(const LibraryUse&) = delete;
};

} // namespace pelldrake
