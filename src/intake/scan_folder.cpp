#include "intake/scan_folder.h"

#include "platform/file_info.h"
#include "platform/name_order.h"
#include "platform/path_text.h"
#include "platform/pseudo_file_system.h"

#include <algorithm>
#include <dirent.h>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace pelldrake {

namespace {

struct Entry {
    std::string key; // NameSortKey of the name
    std::string name;
    unsigned char type; // d_type: DT_UNKNOWN when the file system does not say

    bool operator<(const Entry& other) const { return key != other.key ? key < other.key : name < other.name; }
};

class Scanner {
public:
    Scanner(FilePathList& out, bool includeSubfolders, ProgressSink* progress)
        : out_(out), includeSubfolders_(includeSubfolders), progress_(progress), startSize_(out.size()) {}

    // prefix is the folder's path followed by exactly one separator.
    void Scan(const std::string& prefix) {
        std::vector<Entry> entries;
        const bool read = ReadFolder(prefix, entries);
        if (progress_)
            progress_->Report(out_.size() - startSize_, 0, prefix);
        if (!read)
            return;
        std::string path = prefix;
        for (const Entry& entry : entries) {
            path.resize(prefix.size());
            path += entry.name;
            if (!IsFolder(path, entry.type)) {
                out_.push_back(path);
                if (progress_ && out_.size() % kReportEvery == 0)
                    progress_->Report(out_.size() - startSize_, 0, path);
            } else if (includeSubfolders_ && entry.name.front() != '.') {
                path += '/';
                Scan(path);
            }
        }
    }

private:
    // All entries are read and the folder closed before any subfolder is entered, so a deep tree
    // holds one open folder at a time instead of one per level.
    bool ReadFolder(const std::string& prefix, std::vector<Entry>& entries) {
        DIR* dir = ::opendir(prefix.c_str());
        if (!dir)
            return false;
        struct stat info;
        const bool fresh = ::fstat(::dirfd(dir), &info) == 0 && entered_.emplace(info.st_dev, info.st_ino).second &&
                           !IsPseudoFileSystem(::dirfd(dir));
        if (fresh) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string_view name = entry->d_name;
                if (name == "." || name == "..")
                    continue;
                entries.push_back({NameSortKey(name), std::string(name), entry->d_type});
            }
        }
        ::closedir(dir);
        // The file system lists names in the order of its own tables (hash order on ext4); the
        // user expects the order of the file manager, files and folders mixed.
        std::sort(entries.begin(), entries.end());
        return fresh;
    }

    // Links and file systems that give no type are asked through stat, which follows links.
    static bool IsFolder(const std::string& path, unsigned char type) {
        if (type == DT_DIR)
            return true;
        if (type != DT_LNK && type != DT_UNKNOWN)
            return false;
        return pelldrake::IsFolder(path);
    }

    static constexpr std::size_t kReportEvery = 256;

    FilePathList& out_;
    const bool includeSubfolders_;
    ProgressSink* const progress_;
    const std::size_t startSize_;
    std::set<std::pair<dev_t, ino_t>> entered_;
};

} // namespace

void ScanFolder(FilePathList& out, const FilePath& folder, bool includeSubfolders, ProgressSink* progress) {
    if (folder.empty())
        return;
    std::string prefix(PathText::Native().WithoutTrailingSeparator(folder));
    prefix += '/';
    Scanner(out, includeSubfolders, progress).Scan(prefix);
}

} // namespace pelldrake
