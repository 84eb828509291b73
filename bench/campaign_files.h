#pragma once

// The folders and files of one run of the kill campaign, made anew for every run: pictures and a
// long list of long-named files on the disk, and the folders that disposals send them to, one on
// the same file system and one on another. What a folder holds is told as a set of path hashes,
// so that the lists (hashes too) and the disk compare cheaply, run after run.

#include "core/types.h"

#include <QDir>
#include <algorithm>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace campaign {

using pelldrake::FilePath;
using pelldrake::FilePathList;

inline std::uint64_t PathHash(std::string_view path) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const char c : path) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Sorted, so that two of them compare and intersect in one pass.
using HashSet = std::vector<std::uint64_t>;

inline bool Holds(const HashSet& set, std::uint64_t hash) {
    return std::binary_search(set.begin(), set.end(), hash);
}

struct CampaignFiles {
    // On the disk: the pictures, the long list, the recovery files, the trash (XDG_DATA_HOME).
    FilePath root;
    // Another file system where the script could mount one, else another folder of the disk.
    FilePath otherRoot;
    int pictureCount = 480;
    // Enough long paths that a list of them takes more than 1 MiB of journal: a clear of it taken
    // back is written in many pieces, on the journal's thread.
    int bigCount = 4000;

    FilePath Pictures() const { return root + "/pictures"; }
    FilePath Big() const { return root + "/big/" + std::string(150, 'f'); }
    FilePath Same() const { return root + "/same"; }
    FilePath Other() const { return otherRoot + "/other"; }
    FilePath State() const { return root + "/state"; }
    FilePath Data() const { return root + "/data"; }
    // The folders whose files the lists are checked against.
    FilePathList WorkFolders() const { return {Pictures(), Big(), Same(), Other()}; }

    FilePath Picture(int i) const {
        return Pictures() + "/P" + std::to_string(1000 + i) + (i % 3 == 0 ? ".png" : ".jpg");
    }
    FilePath BigFile(int i) const { return Big() + "/B" + std::to_string(10000 + i) + std::string(100, 'b') + ".jpg"; }

    // Every file of the run removed, and the originals written again.
    bool MakeFresh() const {
        QDir(QString::fromStdString(root)).removeRecursively();
        QDir(QString::fromStdString(Other())).removeRecursively();
        QDir(QString::fromStdString(otherRoot + "/.Trash-" + std::to_string(::getuid()))).removeRecursively();
        for (const FilePath& folder : {Pictures(), Big(), Same(), Other(), State(), Data()})
            QDir().mkpath(QString::fromStdString(folder));
        const std::string bytes(2100, 'p');
        for (int i = 0; i < pictureCount; ++i) {
            if (!Write(Picture(i), std::string_view(bytes).substr(0, static_cast<std::size_t>(100 + i * 37 % 2000))))
                return false;
        }
        for (int i = 0; i < bigCount; ++i) {
            if (!Write(BigFile(i), std::string_view(bytes).substr(0, 16)))
                return false;
        }
        return true;
    }

    // The regular files the work folders hold now; with names, each hash's path is noted there.
    HashSet Listing(std::unordered_map<std::uint64_t, FilePath>* names = nullptr) const {
        HashSet hashes;
        for (const FilePath& folder : WorkFolders()) {
            DIR* dir = ::opendir(folder.c_str());
            if (!dir)
                continue;
            while (const dirent* entry = ::readdir(dir)) {
                const FilePath path = folder + "/" + entry->d_name;
                struct stat info {};
                // A copy's temporary, which the next disposal into the folder clears away, names no picture.
                const std::string_view name = entry->d_name;
                if (name.starts_with(".pelldrake-") && name.ends_with(".part"))
                    continue;
                if (entry->d_type == DT_REG ||
                    (entry->d_type == DT_UNKNOWN && ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))) {
                    hashes.push_back(PathHash(path));
                    if (names)
                        names->emplace(hashes.back(), path);
                }
            }
            ::closedir(dir);
        }
        std::sort(hashes.begin(), hashes.end());
        return hashes;
    }

    // The paths a hash may stand for, to name them in a report.
    std::unordered_map<std::uint64_t, FilePath> Names() const {
        std::unordered_map<std::uint64_t, FilePath> names;
        auto add = [&](const FilePath& path) {
            const std::string name = path.substr(path.rfind('/'));
            for (const FilePath& p : {path, Same() + name, Other() + name})
                names.emplace(PathHash(p), p);
        };
        for (int i = 0; i < pictureCount; ++i)
            add(Picture(i));
        for (int i = 0; i < bigCount; ++i)
            add(BigFile(i));
        return names;
    }

private:
    static bool Write(const FilePath& path, std::string_view bytes) {
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        return ::close(fd) == 0 && written;
    }
};

} // namespace campaign
