#include "intake/add_files.h"

#include "app/settings_file.h"
#include "board/board.h"
#include "board/sidecar_names.h"
#include "intake/extension_filter.h"
#include "intake/intake_pairs.h"
#include "intake/thumbnail_cache.h"
#include "platform/busy_cursor.h"
#include "platform/file_info.h"
#include "platform/parallel_for.h"
#include "platform/path_text.h"

#include <memory_resource>
#include <optional>
#include <sys/stat.h>
#include <unordered_set>
#include <vector>

namespace pelldrake {

std::string PathKey(std::string_view path, PathCase pathCase, const CodePage& codePage) {
    return pathCase == PathCase::Insensitive ? codePage.ToUpper(path) : std::string(path);
}

bool DuplicateIndex::Insert(std::string_view path) {
    if (pathCase_ == PathCase::Sensitive)
        return keys_.insert(path).second;
    std::string key = codePage_.ToUpper(path);
    if (keys_.count(key) != 0)
        return false;
    foldedKeys_.push_back(std::move(key));
    keys_.insert(foldedKeys_.back());
    return true;
}

bool DuplicateIndex::Contains(std::string_view path) const {
    if (pathCase_ == PathCase::Sensitive)
        return keys_.count(path) != 0;
    return keys_.count(codePage_.ToUpper(path)) != 0;
}

namespace {

constexpr std::size_t kExaminedTogether = 4096;

} // namespace

int AddFiles(Board& board, const SettingsFile& settings, bool applyExtensionFilter, FilePathList candidates,
             ListIndex target, bool bypassFilter, PathCase pathCase, ProgressSink* progress,
             const FilePathList& chosenFolders) {
    // From the first moment: over a large board, building the index alone takes a noticeable time.
    BusyCursor busy;
    std::optional<EntryBatch> added = ExamineCandidates(board, settings, applyExtensionFilter, std::move(candidates),
                                                        bypassFilter, pathCase, progress, chosenFolders);
    if (!added)
        return 0;
    const int count = static_cast<int>(added->size());
    board.AppendAndShow(target, std::move(*added));
    return count;
}

std::optional<EntryBatch> ExamineCandidates(const Board& board, const SettingsFile& settings, bool applyExtensionFilter,
                                            FilePathList candidates, bool bypassFilter, PathCase pathCase,
                                            ProgressSink* progress, const FilePathList& chosenFolders) {
    const ThumbnailCacheRule thumbnailCache(settings, chosenFolders);
    IntakePairs pairs(candidates, settings.IntakePairs());
    const std::vector<std::string> patterns = ExtensionFilter::Load(settings);
    const PathText& pathText = PathText::Native();

    // The accepted candidates move to the front, in order, with their files beside them: the
    // candidates' own memory becomes the entries'. The lists stay untouched until the index is
    // gone, as the index refers to the bytes of their entries and of the candidates.
    std::vector<FileIdentity> identities;
    std::size_t accepted = 0;
    {
        // One file has many spellings (links, "./", a doubled "/", hard links): the duplicate
        // test looks at the file itself, as remembered when each entry arrived, and always at the
        // spelling. The board's files are not examined again: that would cost a look-up each.
        std::pmr::monotonic_buffer_resource nodes; // as the index's
        std::pmr::unordered_set<FileIdentity, FileIdentityHash> files(&nodes);
        files.reserve(static_cast<std::size_t>(board.TotalCount()) + candidates.size());
        DuplicateIndex index(pathCase, pathText.codePage());
        index.Reserve(static_cast<std::size_t>(board.TotalCount()) + candidates.size());
        for (ListIndex list = 0; list < kListCount; ++list) {
            const ClassList& held = board.List(list);
            for (const FilePath& entry : held.Entries())
                index.Insert(entry);
            for (const FileIdentity& identity : held.Identities()) {
                if (identity.Known())
                    files.insert(identity);
            }
        }
        const auto filterTakes = [&](const FilePath& path) {
            return ExtensionFilter::Accepts(path, patterns, applyExtensionFilter, bypassFilter, pathText);
        };
        // Edits and ratings beside a picture follow it; they are never entries of their own. A raw
        // file that may follow its JPEG is looked at whatever the filter says of it.
        const auto wanted = [&](std::size_t i) {
            const FilePath& path = candidates[i];
            return !sidecar_names::IsSidecar(pathText.FileName(path)) && (pairs.MayFollow(i) || filterTakes(path));
        };
        // The files are looked at a block at a time on every core, then taken in order.
        std::vector<std::optional<FileInfo>> examined;
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const FilePath& path = candidates[i];
            if (progress && i % 256 == 0) {
                progress->Report(i, candidates.size(), path);
                if (progress->StopRequested())
                    return std::nullopt; // stopped: the lists stay as they were
            }
            if (i % kExaminedTogether == 0) {
                examined.assign(std::min(kExaminedTogether, candidates.size() - i), std::nullopt);
                ParallelFor(examined.size(), [&](std::size_t begin, std::size_t end) {
                    for (std::size_t k = begin; k < end; ++k) {
                        if (wanted(i + k))
                            examined[k] = StatPath(candidates[i + k]);
                    }
                });
            }
            if (thumbnailCache.Matches(path)) {
                thumbnailCache.Remove(path); // a cache that cannot be removed is still not added
                continue;
            }
            const std::optional<FileInfo>& info = examined[i % kExaminedTogether];
            if (!info || !info->IsRegular())
                continue;
            if (index.Contains(path) || !files.insert(info->identity()).second) {
                if (pairs.MayLead(i)) {
                    const auto held = files.find(info->identity());
                    pairs.JpegHeld(i, held != files.end() && held->Paired());
                }
                continue;
            }
            if (pairs.MayFollow(i)) {
                const bool comesIn = filterTakes(path);
                pairs.RawFound(i, comesIn ? std::optional<std::size_t>(accepted) : std::nullopt);
                if (!comesIn)
                    continue;
            } else if (pairs.MayLead(i)) {
                pairs.JpegTaken(i, accepted);
            }
            // Moved before the index looks at it: the index refers to the bytes where they stay.
            if (accepted != i)
                candidates[accepted] = std::move(candidates[i]);
            index.Insert(candidates[accepted]);
            identities.push_back(info->identity());
            ++accepted;
        }
    }
    candidates.resize(accepted);
    pairs.Settle(candidates, identities);
    candidates.shrink_to_fit();
    return EntryBatch{std::move(candidates), std::move(identities)};
}

} // namespace pelldrake
