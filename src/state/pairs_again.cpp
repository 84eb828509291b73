#include "state/pairs_again.h"

#include "board/board.h"
#include "board/picture_files.h"
#include "board/sidecar_names.h"
#include "platform/file_system.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pelldrake {

void FindPairsAgain(std::array<EntryBatch, kListCount>& lists, const Board* joined) {
    RawEntries rawEntries;
    for (ListIndex list = 0; joined && list < kListCount; ++list)
        rawEntries.Add(joined->List(list).Entries(), joined->List(list).Identities());
    // The JPEG entries by folder, so that each folder's names are read once and let go of after.
    std::unordered_map<std::string_view, std::vector<std::uint64_t>> jpegsIn;
    for (std::size_t list = 0; list < lists.size(); ++list) {
        const EntryBatch& batch = lists[list];
        if (batch.identities.size() != batch.paths.size())
            continue;
        rawEntries.Add(batch.paths, batch.identities);
        for (std::size_t k = 0; k < batch.paths.size(); ++k) {
            const std::string_view path = batch.paths[k];
            const std::size_t slash = path.find_last_of('/');
            if (slash != std::string_view::npos && sidecar_names::IsJpeg(path.substr(slash + 1)))
                jpegsIn[path.substr(0, slash)].push_back(std::uint64_t{list} << 32 | k);
        }
    }
    PosixFileSystem disk;
    PictureFiles files(disk, &rawEntries);
    for (const auto& [folder, jpegs] : jpegsIn) {
        for (const std::uint64_t at : jpegs) {
            EntryBatch& batch = lists[static_cast<std::size_t>(at >> 32)];
            const auto k = static_cast<std::size_t>(at & 0xFFFFFFFFu);
            if (!files.Companions(batch.paths[k]).empty())
                batch.identities[k].paired = 1;
        }
        files.Forget(FolderOf(lists[static_cast<std::size_t>(jpegs.front() >> 32)]
                                  .paths[static_cast<std::size_t>(jpegs.front() & 0xFFFFFFFFu)]));
    }
}

} // namespace pelldrake
