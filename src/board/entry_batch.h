#pragma once

#include "core/types.h"
#include "platform/file_info.h"

#include <string>
#include <vector>

namespace pelldrake {

// Entries on their way into or out of a list: paths and the files they name, index for index.
// The file is remembered when the entry arrives (an intake and a load examine every file anyway),
// so that the duplicate test compares files, not spellings, without examining the board again.
// An identity is FileIdentity{} where the file was not examined.
struct EntryBatch {
    FilePathList paths;
    std::vector<FileIdentity> identities;

    // The journal's records of this batch going in at first of list, made by the thread that
    // gathered it (ListChangeSink::PrepareInsertRun); used only if the batch goes exactly there.
    struct PreparedRecords {
        ListIndex list = -1;
        int first = 0;
        std::vector<std::string> records;
    };
    PreparedRecords journal{};

    std::size_t size() const { return paths.size(); }
    bool empty() const { return paths.empty(); }
    void reserve(std::size_t count) {
        paths.reserve(count);
        identities.reserve(count);
    }
    void push_back(FilePath path, FileIdentity identity) {
        paths.push_back(std::move(path));
        identities.push_back(identity);
    }
    // Paths whose files nobody examined.
    static EntryBatch Unexamined(FilePathList paths) {
        EntryBatch batch;
        batch.identities.resize(paths.size());
        batch.paths = std::move(paths);
        return batch;
    }
};

} // namespace pelldrake
