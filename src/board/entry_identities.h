#pragma once

#include "core/types.h"
#include "platform/file_info.h"

#include <optional>
#include <unordered_map>

namespace pelldrake {

// The file each entry of the board names, remembered by path: the duplicate test compares files,
// not spellings, and a board of many thousand entries is not examined anew at every intake.
class EntryIdentities {
public:
    // From memory, else from the file system; nullopt when the file cannot be examined.
    std::optional<FileIdentity> Of(const FilePath& path);
    void Remember(const FilePath& path, FileIdentity identity) { known_[path] = identity; }
    // Drops what no longer belongs to an entry once memory holds far more than the board.
    void ForgetBeyond(std::size_t entryCount);

private:
    std::unordered_map<FilePath, FileIdentity> known_;
};

} // namespace pelldrake
