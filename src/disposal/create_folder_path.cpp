#include "disposal/create_folder_path.h"

#include "platform/file_system.h"

#include <cerrno>
#include <vector>

namespace pelldrake {

namespace {

FilePath WithoutTrailingSeparators(FilePath path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The path up to its last separator, or empty when it has none ("/" stays "/").
FilePath ParentOf(const FilePath& path) {
    const std::size_t cut = path.find_last_of('/');
    if (cut == FilePath::npos)
        return {};
    return WithoutTrailingSeparators(path.substr(0, cut == 0 ? 1 : cut));
}

} // namespace

CreateFolderResult CreateFolderPath(FileSystem& fileSystem, const FilePath& path) {
    // Walk up to the nearest ancestor that exists, noting the missing ones on the way.
    std::vector<FilePath> missing;
    for (FilePath folder = WithoutTrailingSeparators(path); !folder.empty(); folder = ParentOf(folder)) {
        if (const auto status = fileSystem.Status(folder)) {
            if (!status->isFolder)
                return {ENOTDIR, folder};
            break;
        }
        missing.push_back(folder);
        if (folder == "/")
            break;
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        const int error = fileSystem.MakeFolder(*folder);
        if (error == 0)
            continue;
        // A folder someone else made meanwhile is just as good.
        const auto status = error == EEXIST ? fileSystem.Status(*folder) : std::nullopt;
        if (!status || !status->isFolder)
            return {error, *folder};
    }
    return {};
}

} // namespace pelldrake
