#pragma once

#include "core/types.h"

#include <string>
#include <string_view>
#include <vector>

namespace pelldrake {

class SettingsFile;
class PathText;

// With VIEWER/DELTHUMBDB set, a file named like VIEWER/THUMBDBNAME (ASCII case ignored) is taken
// out of an intake and sent to the trash. The rule acts only where the user pointed: on a regular
// file, never a link, whose folder lies, every link resolved, inside one of the folders chosen for
// the intake. A link in a chosen folder that leads elsewhere, to "/" say, must never put another
// folder's files in reach. The file goes to the trash: it is the user's, and might not be a cache.
class ThumbnailCacheRule {
public:
    // chosenFolders empty: the files were named one by one (a pick, a paste), and each one's own
    // folder counts as chosen.
    ThumbnailCacheRule(const SettingsFile& settings, const FilePathList& chosenFolders);

    // Whether the path names a thumbnail cache, which is then never added.
    bool Matches(std::string_view path) const;
    // Sends the cache file to the trash when it lies where the rule may act.
    void Remove(const FilePath& path) const;

private:
    bool on_;
    std::string cacheName_;
    const PathText& pathText_;
    std::vector<FilePath> resolvedFolders_;
};

} // namespace pelldrake
