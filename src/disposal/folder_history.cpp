#include "disposal/folder_history.h"

#include <algorithm>

namespace pelldrake {

FilePathList FolderHistory::ComboItems() const {
    FilePathList items;
    for (const FilePath& folder : folders_) {
        items.erase(std::remove(items.begin(), items.end(), folder), items.end());
        items.insert(items.begin(), folder);
    }
    return items;
}

} // namespace pelldrake
