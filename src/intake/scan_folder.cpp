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
    Scanner(FilePathList& out, bool includeSubfolders, ProgressSink* progress, FilePath resolvedRoot)
        : out_(out), includeSubfolders_(includeSubfolders), progress_(progress), startSize_(out.size()),
          resolvedRoot_(std::move(resolvedRoot)) {}

    // prefix is the folder's path followed by exactly one separator.
    void Scan(const std::string& prefix) {
        std::vector<Entry> entries;
        const bool read = ReadFolder(prefix, entries);
        if (progress_) {
            progress_->Report(out_.size() - startSize_, 0, prefix);
            stopped_ = stopped_ || progress_->StopRequested();
        }
        if (!read)
            return;
        std::string path = prefix;
        for (const Entry& entry : entries) {
            if (stopped_)
                return;
            path.resize(prefix.size());
            path += entry.name;
            switch (KindOf(path, entry.type)) {
            case Kind::File:
                out_.push_back(path);
                if (progress_ && out_.size() % kReportEvery == 0)
                    progress_->Report(out_.size() - startSize_, 0, path);
                break;
            case Kind::Folder:
                if (includeSubfolders_ && entry.name.front() != '.') {
                    path += '/';
                    Scan(path);
                }
                break;
            case Kind::FolderElsewhere:
                break;
            }
        }
    }

    bool stopped() const { return stopped_; }

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

    enum class Kind { File, Folder, FolderElsewhere };

    // Links and file systems that give no type are asked through stat, which follows links. A link
    // to a folder outside the chosen one would take in whatever it reaches, the whole machine for a
    // link to "/": the scan never leaves the tree the user chose.
    Kind KindOf(const std::string& path, unsigned char type) const {
        if (type == DT_DIR)
            return Kind::Folder;
        if (type != DT_LNK && type != DT_UNKNOWN)
            return Kind::File;
        if (!pelldrake::IsFolder(path))
            return Kind::File;
        if (type == DT_UNKNOWN && !IsLink(path))
            return Kind::Folder;
        const std::optional<FilePath> target = ResolvedPath(path);
        return target && LiesWithin(*target, resolvedRoot_) ? Kind::Folder : Kind::FolderElsewhere;
    }

    static bool IsLink(const std::string& path) {
        struct stat info;
        return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    }

    static constexpr std::size_t kReportEvery = 256;

    FilePathList& out_;
    const bool includeSubfolders_;
    ProgressSink* const progress_;
    const std::size_t startSize_;
    const FilePath resolvedRoot_;
    bool stopped_ = false;
    std::set<std::pair<dev_t, ino_t>> entered_;
};

} // namespace

bool ScanFolder(FilePathList& out, const FilePath& folder, bool includeSubfolders, ProgressSink* progress) {
    if (folder.empty())
        return true;
    std::string prefix(PathText::Native().WithoutTrailingSeparator(folder));
    prefix += '/';
    Scanner scanner(out, includeSubfolders, progress, ResolvedPath(folder).value_or(folder));
    scanner.Scan(prefix);
    return !scanner.stopped();
}

} // namespace pelldrake
