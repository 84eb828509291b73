#include "board/entry_fixes.h"

#include "board/board.h"

#include <array>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace pelldrake {

void ApplyEntryFixes(Board& board, const EntryFixes& fixes) {
    std::array<std::vector<const EntryFix*>, kListCount> byList;
    for (const EntryFix& fix : fixes)
        byList[static_cast<std::size_t>(fix.list)].push_back(&fix);
    for (ListIndex index = 0; index < kListCount; ++index) {
        const std::vector<const EntryFix*>& own = byList[static_cast<std::size_t>(index)];
        if (own.empty())
            continue;
        ClassList& list = board.List(index);
        std::unordered_map<std::string_view, const EntryFix*> named;
        for (const EntryFix* fix : own) {
            if (!fix->named.empty())
                named.emplace(fix->named, fix);
        }
        std::vector<std::pair<int, const EntryFix*>> found;
        const FilePathList& entries = list.Entries();
        for (std::size_t i = 0; i < entries.size() && !named.empty(); ++i) {
            const auto hit = named.find(entries[i]);
            if (hit == named.end())
                continue;
            found.emplace_back(static_cast<int>(i), hit->second);
            named.erase(hit);
        }
        const BulkUpdate bulk(list);
        // The last first, so that every index found still names its entry.
        for (auto it = found.rbegin(); it != found.rend(); ++it) {
            const auto& [at, fix] = *it;
            list.RemoveAt(at);
            if (fix->now)
                list.InsertBefore(at, *fix->now, fix->identity);
        }
        for (const EntryFix* fix : own) {
            if (fix->named.empty() && fix->now)
                list.Append(*fix->now, fix->identity);
        }
        board.ResyncPane(index);
    }
}

} // namespace pelldrake
