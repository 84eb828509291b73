#pragma once

#include "core/types.h"
#include "platform/file_info.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pelldrake {

class Board;
class FileSystem;
struct FileStatus;

// The folder a path lies in ("." for a bare name), its last component, and a name in a folder.
FilePath FolderOf(const FilePath& path);
std::string NameOf(const FilePath& path);
FilePath Join(const FilePath& folder, std::string_view name);

// The camera raw files that are entries of the board: each is a picture of its own, never the
// companion of a JPEG. Holds views of the entries' paths, which must stay where they are meanwhile.
class RawEntries {
public:
    // The board's, when an entry of the list (or with none, of any list) has a pair; else none,
    // as no raw file follows anything then.
    static std::optional<RawEntries> OfBoardIfPaired(const Board& board, std::optional<ListIndex> list);

    void Add(const FilePathList& paths, const std::vector<FileIdentity>& identities);
    bool Holds(const FilePath& path, const FileStatus& status) const;

private:
    // Copies, not views: a disposal's run reads them on its own thread while the unclassified
    // list takes back returned files and may move its strings.
    std::unordered_set<std::string> paths_;
    std::unordered_set<FileIdentity, FileIdentityHash> files_;
};

// The files beside a picture that go with it: the camera raw files of its pair and its sidecars.
// Only a regular file, or a link to one, goes with a picture; a folder never does. Each folder's
// names are read once and are told when a file leaves.
class PictureFiles {
public:
    // rawEntries, when given, are never a companion.
    explicit PictureFiles(FileSystem& fileSystem, const RawEntries* rawEntries = nullptr)
        : fileSystem_(fileSystem), rawEntries_(rawEntries) {}

    // The raw files of the JPEG's base name beside it, as its pair finds them again.
    FilePathList Companions(const FilePath& picture);
    // The picture's sidecars. With sharedGoesLast, one shared by the base name (NAME.xmp) only
    // when no other file of that name is left in the folder.
    FilePathList SidecarsOf(const FilePath& picture, bool sharedGoesLast);

    // The name is no longer in its folder.
    void Left(const FilePath& path);
    // The folder's names are not needed again.
    void Forget(const FilePath& folder) { names_.erase(folder); }

private:
    std::set<std::string>& NamesIn(const FilePath& folder);
    bool GoesAlong(const FilePath& path);

    FileSystem& fileSystem_;
    const RawEntries* rawEntries_;
    std::map<FilePath, std::set<std::string>> names_;
};

} // namespace pelldrake
