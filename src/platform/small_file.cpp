#include "platform/small_file.h"

#include "platform/descriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pelldrake {

SmallFileReading ReadSmallFile(const FilePath& path, std::size_t most) {
    using Kind = SmallFileReading::Kind;
    SmallFileReading reading;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        // A dangling link still takes the name: it is no sidecar to replace.
        reading.kind = errno == ENOENT && ::lstat(path.c_str(), &info) != 0 ? Kind::Absent : Kind::Unreadable;
        return reading;
    }
    if (!S_ISREG(info.st_mode)) {
        reading.kind = Kind::NotRegular;
        return reading;
    }
    if (static_cast<std::uint64_t>(info.st_size) > most) {
        reading.kind = Kind::TooLarge;
        return reading;
    }
    // Not blocking on a file that turned into a pipe since the look above.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        reading.kind = Kind::Unreadable;
        return reading;
    }
    struct stat opened {};
    if (::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) {
        reading.kind = Kind::NotRegular;
        return reading;
    }
    reading.mode = opened.st_mode & 07777;
    // One byte more than allowed tells a file that grew meanwhile.
    std::string bytes(std::min<std::size_t>(static_cast<std::size_t>(opened.st_size), most) + 1, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            reading.kind = Kind::Unreadable;
            return reading;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
        if (got == bytes.size() && got <= most)
            bytes.resize(std::min(bytes.size() * 2, most + 1));
    }
    if (got > most) {
        reading.kind = Kind::TooLarge;
        return reading;
    }
    bytes.resize(got);
    reading.kind = Kind::Read;
    reading.bytes = std::move(bytes);
    return reading;
}

int WriteNewFile(const FilePath& path, std::string_view bytes, std::optional<mode_t> mode) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode ? 0600 : 0666));
    if (file.get() < 0)
        return errno;
    int error = 0;
    std::size_t written = 0;
    while (error == 0 && written < bytes.size()) {
        const ssize_t n = ::write(file.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno != EINTR)
            error = errno;
        else if (n > 0)
            written += static_cast<std::size_t>(n);
    }
    if (error == 0 && mode && ::fchmod(file.get(), *mode) != 0)
        error = errno;
    // The new bytes are on the disk before the name of the old ones is given to them.
    if (error == 0 && ::fsync(file.get()) != 0)
        error = errno;
    if (::close(file.release()) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(path.c_str());
    return error;
}

} // namespace pelldrake
