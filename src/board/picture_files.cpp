#include "board/picture_files.h"

#include "board/board.h"
#include "board/sidecar_names.h"
#include "platform/file_system.h"

#include <algorithm>

namespace pelldrake {

namespace {

// The names that begin with prefix: every sidecar and companion of a picture begins with its base
// name, so a folder of a hundred thousand pictures is not read through once for each of them.
std::vector<std::string_view> NamesStartingWith(const std::set<std::string>& names, std::string_view prefix) {
    std::vector<std::string_view> found;
    for (auto it = names.lower_bound(std::string(prefix)); it != names.end() && it->starts_with(prefix); ++it)
        found.push_back(*it);
    return found;
}

} // namespace

FilePath FolderOf(const FilePath& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == FilePath::npos ? FilePath(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string NameOf(const FilePath& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == FilePath::npos ? path : path.substr(slash + 1);
}

FilePath Join(const FilePath& folder, std::string_view name) {
    FilePath joined = folder;
    if (!joined.ends_with('/'))
        joined += '/';
    return joined.append(name);
}

std::optional<RawEntries> RawEntries::OfBoardIfPaired(const Board& board, std::optional<ListIndex> list) {
    bool paired = false;
    for (ListIndex i = 0; i < kListCount && !paired; ++i) {
        if (!list || *list == i) {
            const std::vector<FileIdentity>& files = board.List(i).Identities();
            paired = std::any_of(files.begin(), files.end(), [](const FileIdentity& file) { return file.Paired(); });
        }
    }
    if (!paired)
        return std::nullopt;
    RawEntries entries;
    for (ListIndex i = 0; i < kListCount; ++i)
        entries.Add(board.List(i).Entries(), board.List(i).Identities());
    return entries;
}

void RawEntries::Add(const FilePathList& paths, const std::vector<FileIdentity>& identities) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!sidecar_names::IsCameraRaw(NameOf(paths[i])))
            continue;
        paths_.insert(paths[i]);
        if (i < identities.size() && identities[i].Known())
            files_.insert(identities[i]);
    }
}

bool RawEntries::Holds(const FilePath& path, const FileStatus& status) const {
    return paths_.count(path) != 0 || files_.count(FileIdentity(status.device, status.inode)) != 0;
}

std::set<std::string>& PictureFiles::NamesIn(const FilePath& folder) {
    auto found = names_.find(folder);
    if (found == names_.end()) {
        const FilePathList names = fileSystem_.FolderNames(folder);
        found = names_.emplace(folder, std::set<std::string>(names.begin(), names.end())).first;
    }
    return found->second;
}

void PictureFiles::Left(const FilePath& path) {
    NamesIn(FolderOf(path)).erase(NameOf(path));
}

bool PictureFiles::GoesAlong(const FilePath& path) {
    const std::optional<FileStatus> status = fileSystem_.Status(path);
    return status && status->isRegular;
}

FilePathList PictureFiles::Companions(const FilePath& picture) {
    const std::string pictureName = NameOf(picture);
    const std::string_view base = sidecar_names::BaseName(pictureName);
    if (base.empty() || !sidecar_names::IsJpeg(pictureName))
        return {};
    const FilePath folder = FolderOf(picture);
    FilePathList found;
    for (const std::string_view name : NamesStartingWith(NamesIn(folder), base)) {
        if (!sidecar_names::IsCameraRaw(name) || sidecar_names::BaseName(name) != base)
            continue;
        FilePath raw = Join(folder, name);
        const std::optional<FileStatus> status = fileSystem_.Status(raw);
        if (status && status->isRegular && !(rawEntries_ && rawEntries_->Holds(raw, *status)))
            found.push_back(std::move(raw));
    }
    return found;
}

FilePathList PictureFiles::SidecarsOf(const FilePath& picture, bool sharedGoesLast) {
    using sidecar_names::Relation;
    const FilePath folder = FolderOf(picture);
    const std::string pictureName = NameOf(picture);
    const std::set<std::string>& names = NamesIn(folder);
    const std::string_view base = sidecar_names::BaseName(pictureName);
    const std::vector<std::string_view> related = NamesStartingWith(names, base.empty() ? pictureName : base);
    // Another picture of the base name still in the folder keeps the shared sidecar there.
    bool sharedStays = false;
    if (sharedGoesLast && !base.empty()) {
        for (const std::string_view name : related) {
            if (name != pictureName && !sidecar_names::IsSidecar(name) && sidecar_names::BaseName(name) == base) {
                sharedStays = true;
                break;
            }
        }
    }
    FilePathList found;
    for (const std::string_view name : related) {
        const Relation relation = sidecar_names::RelationOf(name, pictureName);
        if (relation == Relation::Own || (relation == Relation::SharedByBaseName && !sharedStays)) {
            FilePath sidecar = Join(folder, name);
            if (GoesAlong(sidecar))
                found.push_back(std::move(sidecar));
        }
    }
    return found;
}

} // namespace pelldrake
