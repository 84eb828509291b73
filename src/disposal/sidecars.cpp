#include "disposal/sidecars.h"

#include "board/sidecar_names.h"
#include "disposal/file_transfer.h"
#include "platform/file_system.h"

#include <string_view>
#include <vector>

namespace pelldrake {

namespace {

FilePath FolderOf(const FilePath& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == FilePath::npos ? FilePath(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string NameOf(const FilePath& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == FilePath::npos ? path : path.substr(slash + 1);
}

FilePath Join(const FilePath& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// The names that begin with prefix: every sidecar and companion of a picture begins with its base
// name, so a folder of a hundred thousand pictures is not read through once for each of them.
std::vector<std::string_view> NamesStartingWith(const std::set<std::string>& names, std::string_view prefix) {
    std::vector<std::string_view> found;
    for (auto it = names.lower_bound(std::string(prefix)); it != names.end() && it->starts_with(prefix); ++it)
        found.push_back(*it);
    return found;
}

} // namespace

std::set<std::string>& Sidecars::NamesIn(const FilePath& folder) {
    auto found = names_.find(folder);
    if (found == names_.end()) {
        const FilePathList names = fileSystem_.FolderNames(folder);
        found = names_.emplace(folder, std::set<std::string>(names.begin(), names.end())).first;
    }
    return found->second;
}

void Sidecars::Left(const FilePath& path) {
    NamesIn(FolderOf(path)).erase(NameOf(path));
}

FilePathList Sidecars::Find(const FilePath& picture, bool copied) {
    using sidecar_names::Relation;
    const FilePath folder = FolderOf(picture);
    const std::string pictureName = NameOf(picture);
    const std::set<std::string>& names = NamesIn(folder);
    const std::string_view base = sidecar_names::BaseName(pictureName);
    const std::vector<std::string_view> related = NamesStartingWith(names, base.empty() ? pictureName : base);
    // Another picture of the base name still in the folder keeps the shared sidecar there.
    bool sharedStays = false;
    if (!copied && !base.empty()) {
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
        if (relation == Relation::Own || (relation == Relation::SharedByBaseName && !sharedStays))
            found.push_back(Join(folder, std::string(name)));
    }
    return found;
}

FilePathList Sidecars::Companions(const FilePath& picture) {
    const std::string pictureName = NameOf(picture);
    if (!withCompanions_ || !sidecar_names::IsJpeg(pictureName))
        return {};
    const FilePath folder = FolderOf(picture);
    const std::string_view base = sidecar_names::BaseName(pictureName);
    if (base.empty())
        return {};
    FilePathList found;
    for (const std::string_view name : NamesStartingWith(NamesIn(folder), base)) {
        if (sidecar_names::IsCameraRaw(name) && sidecar_names::BaseName(name) == base)
            found.push_back(Join(folder, std::string(name)));
    }
    return found;
}

bool Sidecars::Carry(const FilePath& file, const FilePath& target, bool copied, bool replaceAgreed,
                     DisposalRecord* record) {
    std::optional<FilePath> replaced;
    if (fileSystem_.NameTaken(target)) {
        if (copiedTo_.count(target))
            return false; // shared, and copied with another picture of its name already
        if (!replaceAgreed || !(replaced = fileSystem_.MoveToTrash(target))) {
            leftBehind_.push_back(file);
            return false;
        }
    }
    const TransferResult transfer = TransferFile(fileSystem_, file, target, copied);
    if (!transfer.ok()) {
        if (replaced)
            fileSystem_.RestoreFromTrash(*replaced, target);
        leftBehind_.push_back(file);
        return false;
    }
    copiedTo_.insert(target);
    const bool moved = !copied && !transfer.sourceKept;
    if (moved)
        Left(file);
    if (record)
        record->push_back({moved ? FileDisposal::Kind::Moved : FileDisposal::Kind::Copied, file, target,
                           fileSystem_.Status(target).value_or(FileStatus{}), replaced});
    return true;
}

bool Sidecars::Trash(const FilePath& file, DisposalRecord* record) {
    const std::optional<FilePath> trashed = fileSystem_.MoveToTrash(file);
    if (!trashed) {
        leftBehind_.push_back(file);
        return false;
    }
    Left(file);
    if (record)
        record->push_back({FileDisposal::Kind::Trashed, file, *trashed, {}, std::nullopt});
    return true;
}

void Sidecars::Follow(const FilePath& picture, const FilePath& target, bool copied, bool replaceAgreed,
                      DisposalRecord* record) {
    if (!copied)
        Left(picture);
    const FilePath targetFolder = FolderOf(target);
    for (const FilePath& companion : Companions(picture)) {
        const FilePath companionTarget = Join(targetFolder, NameOf(companion));
        if (Carry(companion, companionTarget, copied, replaceAgreed, record))
            Follow(companion, companionTarget, copied, replaceAgreed, record);
    }
    for (const FilePath& sidecar : Find(picture, copied))
        Carry(sidecar, Join(targetFolder, NameOf(sidecar)), copied, replaceAgreed, record);
}

void Sidecars::FollowToTrash(const FilePath& picture, DisposalRecord* record) {
    Left(picture);
    for (const FilePath& companion : Companions(picture)) {
        if (Trash(companion, record))
            FollowToTrash(companion, record);
    }
    for (const FilePath& sidecar : Find(picture, false))
        Trash(sidecar, record);
}

} // namespace pelldrake
