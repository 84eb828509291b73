#pragma once

namespace pelldrake {

// Whether the open folder lies on a file system the kernel makes up (proc, sysfs, devtmpfs,
// cgroup and their kin). Such a tree holds no pictures, may loop back to the whole file system
// (/proc/self/task/N/root) and can take seconds to walk, so a folder scan does not enter it.
bool IsPseudoFileSystem(int folderFd);

} // namespace pelldrake
