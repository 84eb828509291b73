#pragma once

#include "core/types.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace pelldrake {

class FileSystem;
class ListChangeSink;

// A sidecar longer than this is no sidecar an editor wrote: it is neither read nor replaced.
inline constexpr std::size_t kMostSidecarBytes = std::size_t{16} << 20;

// What stands under a sidecar's name before it is written.
struct SidecarBefore {
    enum class Kind { Absent, Xmp, Untouchable };
    Kind kind = Kind::Absent;
    // The path that is replaced: the sidecar's own, or the file its link names.
    FilePath path;
    std::string bytes;
    mode_t mode = 0;
};

// Reads what the sidecar holds now. A folder, a file that cannot be read, one beyond the bound, one
// the user made read-only: untouchable. Whether the bytes are XMP is for the caller to find out.
SidecarBefore ReadSidecar(FileSystem& fileSystem, const FilePath& sidecar);

// Puts bytes at path so that at every moment path holds either what it held or all of bytes: a new
// file beside it, on the disk, renamed over it. The temporary file is named to the journal, when
// given, before it is made, so that a kill before the rename leaves nothing behind once recovered;
// mode is the new file's permission bits (none: as the umask says). An errno value, 0 on success.
int ReplaceFile(FileSystem& fileSystem, ListChangeSink* journal, const FilePath& path, const std::string& bytes,
                std::optional<mode_t> mode);

} // namespace pelldrake
