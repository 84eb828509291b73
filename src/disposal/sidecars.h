#pragma once

#include "disposal/disposal_record.h"

#include <map>
#include <set>
#include <string>

namespace pelldrake {

class FileSystem;

// Takes the sidecar files of a disposal's pictures along: into the folder the picture went to, or
// into the trash with it. A sidecar named after the base name (NAME.xmp, NAME.aae) belongs to
// every file of that name: a move takes it with the last of them to leave its folder, a copy with
// the first. A sidecar never replaces a file at the target unless the user agreed to replace the
// picture's, and then the older one goes to the trash as the picture's did. With companions, the
// camera raw files of a JPEG's base name follow it the same way, each with its own sidecars.
class Sidecars {
public:
    explicit Sidecars(FileSystem& fileSystem, bool withCompanions = false)
        : fileSystem_(fileSystem), withCompanions_(withCompanions) {}

    // The picture is now at target too (a copy) or only there (a move).
    void Follow(const FilePath& picture, const FilePath& target, bool copied, bool replaceAgreed,
                DisposalRecord* record);
    // The picture went to the trash.
    void FollowToTrash(const FilePath& picture, DisposalRecord* record);

    // Sidecars that could not follow and stayed where they were.
    const FilePathList& leftBehind() const { return leftBehind_; }

private:
    FilePathList Find(const FilePath& picture, bool copied);
    FilePathList Companions(const FilePath& picture);
    // One file to its target; false when it stayed where it was.
    bool Carry(const FilePath& file, const FilePath& target, bool copied, bool replaceAgreed, DisposalRecord* record);
    bool Trash(const FilePath& file, DisposalRecord* record);
    std::set<std::string>& NamesIn(const FilePath& folder);
    void Left(const FilePath& path);

    FileSystem& fileSystem_;
    bool withCompanions_;
    // Each source folder's names, read once per run and kept up to date as files leave.
    std::map<FilePath, std::set<std::string>> names_;
    std::set<FilePath> copiedTo_;
    FilePathList leftBehind_;
};

} // namespace pelldrake
