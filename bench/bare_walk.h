#pragma once

#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unordered_set>
#include <vector>

// The least any intake must do, as the baseline of the intake benchmarks: read every folder,
// stat every file, and put every path into a hash set.
inline void BareWalk(const std::string& folder, std::unordered_set<std::string>& seen) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> subfolders;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::string path = folder + "/" + entry->d_name;
        if (entry->d_type == DT_DIR) {
            subfolders.push_back(std::move(path));
            continue;
        }
        struct stat info;
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            seen.insert(std::move(path));
    }
    ::closedir(dir);
    for (const std::string& subfolder : subfolders)
        BareWalk(subfolder, seen);
}
