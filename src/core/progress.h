#pragma once

#include <cstddef>
#include <string_view>

namespace pelldrake {

// Told how far a long file operation (an intake, a disposal) has come, so that the window can
// say so and stay painted. Called often, on the thread doing the work; the receiver decides how
// often it is worth showing.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // done of total files; total 0 while unknown (a folder scan). at is the file being handled.
    virtual void Report(std::size_t done, std::size_t total, std::string_view at) = 0;
    // The operation has ended, however it ended.
    virtual void Finish() {}
    // The user asked to stop; an operation that can stop asks this between its steps.
    virtual bool StopRequested() { return false; }
};

} // namespace pelldrake
