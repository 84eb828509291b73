#pragma once

#include "board/picture_files.h"
#include "disposal/disposal_record.h"

#include <set>

namespace pelldrake {

class FileSystem;
class Prompter;

// Takes the sidecar files of a disposal's pictures along: into the folder the picture went to, or
// into the trash with it. A sidecar named after the base name (NAME.xmp, NAME.aae) belongs to
// every file of that name: a move takes it with the last of them to leave its folder, a copy with
// the first. A sidecar never replaces a file at the target unless the user agreed to replace the
// picture's and then to replace it too, and the older one goes to the trash as the picture's did;
// a folder is never replaced. The camera raw files of a picture's pair follow it the same way,
// each with its own sidecars. A link is moved as a link that still names the same file.
class Sidecars {
public:
    // rawEntries, when given, are pictures of their own and never follow a JPEG; prompter, when
    // given, is asked before a file at the target is replaced.
    explicit Sidecars(FileSystem& fileSystem, const RawEntries* rawEntries = nullptr, Prompter* prompter = nullptr)
        : fileSystem_(fileSystem), files_(fileSystem, rawEntries), prompter_(prompter) {}

    // The picture is now at target too (a copy) or only there (a move); paired: the raw files of its
    // base name go with it. False once the user answered Cancel to replacing one of them.
    bool Follow(const FilePath& picture, const FilePath& target, bool copied, bool replaceAgreed, bool paired,
                DisposalRecord* record);
    // The picture went to the trash.
    void FollowToTrash(const FilePath& picture, bool paired, DisposalRecord* record);

    // Sidecars that could not follow and stayed where they were.
    const FilePathList& leftBehind() const { return leftBehind_; }

private:
    // One file to its target; false when it stayed where it was.
    bool Carry(const FilePath& file, const FilePath& target, bool copied, bool replaceAgreed, DisposalRecord* record);
    // Whether the file at target may be replaced by file; false leaves file where it is.
    bool MayReplace(const FilePath& file, const FilePath& target, bool copied, bool replaceAgreed);
    bool Trash(const FilePath& file, DisposalRecord* record);

    FileSystem& fileSystem_;
    PictureFiles files_;
    Prompter* prompter_;
    bool cancelled_ = false;
    std::set<FilePath> copiedTo_;
    FilePathList leftBehind_;
};

} // namespace pelldrake
