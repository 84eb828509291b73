#include "platform/pseudo_file_system.h"

#include <array>
#include <cstdio>
#include <linux/magic.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace pelldrake {

namespace {

constexpr std::array<unsigned long, 16> kPseudoMagics = {
    PROC_SUPER_MAGIC,
    SYSFS_MAGIC,
    CGROUP_SUPER_MAGIC,
    CGROUP2_SUPER_MAGIC,
    DEBUGFS_MAGIC,
    TRACEFS_MAGIC,
    SECURITYFS_MAGIC,
    PSTOREFS_MAGIC,
    BPF_FS_MAGIC,
    DEVPTS_SUPER_MAGIC,
    EFIVARFS_MAGIC,
    SELINUX_MAGIC,
    BINFMTFS_MAGIC,
    0x62656570 /* configfs */,
    0x65735543 /* fusectl */,
    0x19800202 /* mqueue */,
};

// devtmpfs reports itself as tmpfs; only the mount table tells /dev from /tmp.
bool IsDevtmpfs(dev_t device) {
    FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (!table)
        return false;
    const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    bool found = false;
    char* line = nullptr;
    size_t capacity = 0;
    while (!found && ::getline(&line, &capacity, table) > 0) {
        // "id parent major:minor root mount-point options [optional fields] - type source options"
        std::istringstream fields(line);
        std::string id, parent, numbers, field;
        fields >> id >> parent >> numbers;
        if (numbers != wanted)
            continue;
        while (fields >> field && field != "-") {
        }
        fields >> field;
        found = field == "devtmpfs";
    }
    std::free(line);
    std::fclose(table);
    return found;
}

} // namespace

bool IsPseudoFileSystem(int folderFd) {
    struct statfs info {};
    if (::fstatfs(folderFd, &info) != 0)
        return false;
    const auto type = static_cast<unsigned long>(info.f_type);
    for (const unsigned long magic : kPseudoMagics) {
        if (type == magic)
            return true;
    }
    struct stat folder {};
    return type == TMPFS_MAGIC && ::fstat(folderFd, &folder) == 0 && IsDevtmpfs(folder.st_dev);
}

} // namespace pelldrake
