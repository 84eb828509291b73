// Feeds arbitrary bytes to the work-state reader as the content of a file.
#include "board/board.h"
#include "state/work_state_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// An anonymous in-memory file, reached by name through /proc like any file on disk.
class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("work_state", MFD_CLOEXEC)) {}
    ~MemoryFile() { ::close(fd_); }

    bool Fill(const std::uint8_t* data, std::size_t size) {
        if (fd_ < 0 || ::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0)
            return false;
        while (size > 0) {
            const ssize_t written = ::write(fd_, data, size);
            if (written <= 0)
                return false;
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    if (!file.Fill(data, size))
        return 0;
    pelldrake::Board board;
    pelldrake::LoadCallbacks callbacks;
    // Every answer is exercised, chosen by the line so that a run can be repeated.
    callbacks.askMissing = [](std::string_view line) {
        return static_cast<pelldrake::MissingFileAnswer>(line.size() % 3);
    };
    int checks = 0;
    callbacks.keepGoing = [&checks](std::size_t done, std::size_t total) { return done <= total && ++checks < 64; };
    pelldrake::ReadWorkStateFile(board, file.Path(), callbacks);
    for (pelldrake::ListIndex list = 0; list < pelldrake::kListCount; ++list) {
        if (board.List(list).InBulkUpdate() || board.List(list).position() != 0)
            __builtin_trap();
    }
    return 0;
}
