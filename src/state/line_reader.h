#pragma once

#include "core/types.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pelldrake {

// Reads a file one line at a time through a fixed buffer. A line is everything up to an LF and is
// cut at its first CR or LF, so LF and CR LF line ends read alike. A line of any length is consumed
// whole; only its first kMaxKept bytes are kept, which is far more than any path the system
// accepts, so a hostile file cannot make the reader hold more than a few buffers.
class LineReader {
public:
    static constexpr std::size_t kMaxKept = 64 * 1024;

    enum class Status { Line, End, Error };

    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens a regular file. A folder, FIFO, socket or device is refused without waiting on it:
    // reading one could block the window for good or never end.
    bool Open(const FilePath& path);

    // The next line; on Status::Line, line() holds it until the next call.
    Status Next() { return Read(kMaxKept, false); }
    // Like Next, but stops at once when the line, before its cut, outgrows maxBytes; the line is
    // then reported truncated and the reader must not be used further. For a first line that must
    // be short, so that a large file without line ends is refused without reading it through.
    Status NextWithin(std::size_t maxBytes) { return Read(maxBytes, true); }

    std::string_view line() const { return line_; }
    // The same line ending in a NUL, for the system's calls.
    const char* lineCString() const { return line_.c_str(); }
    // The line was longer than what was kept.
    bool truncated() const { return truncated_; }
    // Bytes taken from the file so far, and the file's size when it was opened.
    std::size_t consumed() const { return consumed_; }
    std::size_t fileSize() const { return fileSize_; }
    // Where the next line starts in the file.
    std::size_t position() const { return consumed_ - (end_ - begin_); }

private:
    Status Read(std::size_t keepLimit, bool stopWhenFull);
    // Refills the buffer; the number of bytes read, 0 at the end, -1 on a read error.
    long Fill();
    void Keep(const char* bytes, std::size_t count, std::size_t keepLimit);

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t consumed_ = 0;
    std::size_t fileSize_ = 0;
    std::string line_;
    bool cut_ = false;
    bool truncated_ = false;
};

} // namespace pelldrake
