#include "state/line_reader.h"

#include "platform/file_info.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelldrake {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

} // namespace

LineReader::~LineReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool LineReader::Open(const FilePath& path) {
    // Checked before opening, as opening some devices already does something, and again on the
    // open descriptor, in case the name was replaced in between. O_NONBLOCK keeps the open of a
    // FIFO from waiting for a writer.
    if (!IsRegularFile(path))
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    const auto info = StatOpenFile(fd);
    if (!info || !info->IsRegular()) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    fileSize_ = static_cast<std::size_t>(info->size);
    buffer_.resize(kBufferSize);
    return true;
}

long LineReader::Fill() {
    for (;;) {
        const ssize_t count = ::read(fd_, buffer_.data(), buffer_.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return -1;
        begin_ = 0;
        end_ = static_cast<std::size_t>(count);
        consumed_ += end_;
        return count;
    }
}

void LineReader::Keep(const char* bytes, std::size_t count, std::size_t keepLimit) {
    if (cut_)
        return;
    if (const void* cr = std::memchr(bytes, '\r', count)) {
        count = static_cast<std::size_t>(static_cast<const char*>(cr) - bytes);
        cut_ = true;
    }
    const std::size_t room = keepLimit - line_.size();
    if (count > room) {
        count = room;
        truncated_ = true;
    }
    line_.append(bytes, count);
}

LineReader::Status LineReader::Read(std::size_t keepLimit, bool stopWhenFull) {
    line_.clear();
    cut_ = false;
    truncated_ = false;
    if (fd_ < 0)
        return Status::Error;
    bool started = false;
    for (;;) {
        if (begin_ == end_) {
            const long count = Fill();
            if (count < 0)
                return Status::Error;
            if (count == 0)
                return started ? Status::Line : Status::End;
        }
        const char* start = buffer_.data() + begin_;
        const std::size_t available = end_ - begin_;
        const void* lf = std::memchr(start, '\n', available);
        const std::size_t length = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : available;
        Keep(start, length, keepLimit);
        started = true;
        begin_ += lf ? length + 1 : length;
        if (lf || (stopWhenFull && truncated_))
            return Status::Line;
    }
}

} // namespace pelldrake
