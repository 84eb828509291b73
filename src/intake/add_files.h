#pragma once

#include "board/entry_batch.h"
#include "core/progress.h"
#include "core/types.h"
#include "platform/code_page.h"

#include <cstddef>
#include <deque>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace pelldrake {

class Board;
class SettingsFile;

// Whether the file system tells names apart by letter case, which decides when two paths are the
// same file for the duplicate test.
enum class PathCase { Sensitive, Insensitive };

// Linux file systems are case-sensitive: "a.jpg" and "A.JPG" are two files, both may be added.
inline constexpr PathCase kNativePathCase = PathCase::Sensitive;

// The key under which a path is known to the duplicate test: the path itself, or on a
// case-insensitive file system the path upper-cased by the code page's rules.
std::string PathKey(std::string_view path, PathCase pathCase, const CodePage& codePage = NativeCodePage());

// The paths of one intake batch, looked up by key. It is built afresh for each batch, so it never
// has to follow the lists between batches.
class DuplicateIndex {
public:
    explicit DuplicateIndex(PathCase pathCase, const CodePage& codePage = NativeCodePage())
        : pathCase_(pathCase), codePage_(codePage) {}

    void Reserve(std::size_t count) { keys_.reserve(count); }

    // Adds the path's key; false when the index held it already. On a case-sensitive file system
    // the key is the path's own bytes, which are not copied: the path must stay where it is for
    // as long as the index is used.
    bool Insert(std::string_view path);
    bool Contains(std::string_view path) const;

private:
    PathCase pathCase_;
    const CodePage& codePage_;
    // Nodes in large blocks, handed back whole when the index goes: the journal's records that
    // follow an intake then take that memory, rather than more.
    std::pmr::monotonic_buffer_resource nodes_;
    std::pmr::unordered_set<std::string_view> keys_{&nodes_};
    std::deque<std::string> foldedKeys_; // owns the keys that differ from their paths
};

// Appends the candidates to the target list, leaving out silently:
// - with VIEWER/DELTHUMBDB set, thumbnail caches, which go to the trash instead when they lie in one
//   of chosenFolders (see ThumbnailCacheRule; empty for files the user named one by one);
// - files the extension filter rejects (see ExtensionFilter::Accepts);
// - paths that do not exist, folders, and special files (FIFOs, sockets, devices: reading one
//   could block or never end, and none is an image);
// - paths already held by any of the eleven lists or met earlier in the same batch;
// - with INTAKE/PAIRS set, the camera raw files that follow a JPEG of their base name that comes in
//   (see IntakePairs); the JPEG's identity then says it is paired.
// The target list then keeps its position (an empty one shows its first new file) and its controls
// are updated once. Pass the candidates with std::move: the surviving paths are moved into the list.
// Runs on the user-interface thread with the busy cursor shown; progress, when given, hears how
// many candidates have been examined; when it asks to stop, nothing is added. Returns the number of
// files added.
int AddFiles(Board& board, const SettingsFile& settings, bool applyExtensionFilter, FilePathList candidates,
             ListIndex target, bool bypassFilter, PathCase pathCase = kNativePathCase, ProgressSink* progress = nullptr,
             const FilePathList& chosenFolders = {});

// The entries AddFiles would append, in order, found without changing a list or touching a window,
// so that it may run on another thread while the lists are held still and each list is in one
// piece (ClassList::Entries and Identities). None when progress asked to stop.
std::optional<EntryBatch> ExamineCandidates(const Board& board, const SettingsFile& settings, bool applyExtensionFilter,
                                            FilePathList candidates, bool bypassFilter, PathCase pathCase,
                                            ProgressSink* progress, const FilePathList& chosenFolders);

} // namespace pelldrake
