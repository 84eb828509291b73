#pragma once

#include "core/types.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace pelldrake {

// A small text file (a sidecar) read whole, never more than a bound.
struct SmallFileReading {
    enum class Kind {
        Absent,     // nothing under the name
        Read,       // bytes hold the whole file
        TooLarge,   // a regular file beyond the bound: nothing of it was kept
        NotRegular, // a folder, a device, a link to nothing
        Unreadable, // there, but it could not be opened or read
    };
    Kind kind = Kind::Absent;
    std::string bytes;
    mode_t mode = 0; // permission bits of a file that was read
};

SmallFileReading ReadSmallFile(const FilePath& path, std::size_t most);

// A new file at path (which must not exist: EEXIST otherwise, and the file there is not touched)
// holding bytes with the permission bits mode (none: as the umask says), on the disk
// before it returns. On failure nothing is left under the name. Returns an errno value, 0 on success.
int WriteNewFile(const FilePath& path, std::string_view bytes, std::optional<mode_t> mode);

} // namespace pelldrake
