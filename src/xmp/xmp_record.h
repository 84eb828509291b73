#pragma once

#include "core/types.h"
#include "platform/file_system.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pelldrake {

// What a run did to one sidecar, enough to give it its bytes back and to write it again.
struct SidecarWrite {
    FilePath path; // the file written: the sidecar, or what its link names
    // Its bytes and permission bits before; none when the run made it.
    std::optional<std::string> before;
    mode_t mode = 0;
    // What stood there right after the write, or after the undo: a file changed since is left alone.
    FileStatus as;
    bool undone = false;
};

using XmpRecord = std::vector<SidecarWrite>;

} // namespace pelldrake
