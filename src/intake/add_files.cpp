#include "intake/add_files.h"

#include "app/settings_file.h"
#include "board/board.h"
#include "intake/extension_filter.h"
#include "platform/busy_cursor.h"
#include "platform/file_info.h"
#include "platform/path_text.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace pelldrake {

namespace {

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c;
}

// Letters of the ASCII range compare without regard to case; a multi-byte character compares
// whole, so a trail byte that looks like a letter is never folded.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b, const CodePage& codePage) {
    if (a.size() != b.size())
        return false;
    for (std::size_t pos = 0; pos < a.size();) {
        const std::size_t length = codePage.CharLength(a, pos);
        if (codePage.CharLength(b, pos) != length)
            return false;
        if (length == 1) {
            if (AsciiUpper(a[pos]) != AsciiUpper(b[pos]))
                return false;
        } else if (std::memcmp(a.data() + pos, b.data() + pos, length) != 0) {
            return false;
        }
        pos += length;
    }
    return true;
}

// A path without a separator has no file name for this rule and never matches.
bool IsThumbnailCache(std::string_view path, std::string_view cacheName, const PathText& pathText) {
    const auto separator = pathText.LastSeparator(path);
    return separator && EqualsIgnoringAsciiCase(path.substr(*separator + 1), cacheName, pathText.codePage());
}

} // namespace

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

int AddFiles(Board& board, const SettingsFile& settings, bool applyExtensionFilter, FilePathList candidates,
             ListIndex target, bool bypassFilter, PathCase pathCase, ProgressSink* progress) {
    // From the first moment: over a large board, building the index alone takes a noticeable time.
    BusyCursor busy;

    const bool deleteThumbnailCache = settings.DeleteThumbDb() != 0;
    const std::string thumbnailCacheName = settings.ThumbDbName();
    const std::vector<std::string> patterns = ExtensionFilter::Load(settings);
    const PathText& pathText = PathText::Native();

    // Indexes of the candidates to append. The lists stay untouched until the index is gone,
    // as the index refers to the bytes of their entries and of the candidates.
    std::vector<std::size_t> accepted;
    {
        // One file has many spellings (links, "./", a doubled "/", hard links): the duplicate
        // test looks at the file itself, as remembered when each entry arrived, and always at the
        // spelling. The board's files are not examined again: that would cost a look-up each.
        EntryIdentities& identities = board.identities();
        identities.KeepOnlyEntriesOf(board);
        std::unordered_set<FileIdentity, FileIdentityHash> files;
        files.reserve(static_cast<std::size_t>(board.TotalCount()) + candidates.size());
        identities.Reserve(static_cast<std::size_t>(board.TotalCount()) + candidates.size());
        DuplicateIndex index(pathCase, pathText.codePage());
        index.Reserve(static_cast<std::size_t>(board.TotalCount()) + candidates.size());
        for (ListIndex list = 0; list < kListCount; ++list) {
            for (const FilePath& entry : board.List(list).Entries()) {
                index.Insert(entry);
                if (const auto identity = identities.Known(entry))
                    files.insert(*identity);
            }
        }
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const FilePath& path = candidates[i];
            if (progress && i % 256 == 0)
                progress->Report(i, candidates.size(), path);
            if (deleteThumbnailCache && IsThumbnailCache(path, thumbnailCacheName, pathText)) {
                ::unlink(path.c_str()); // a cache that cannot be deleted is still not added
                continue;
            }
            if (!ExtensionFilter::Accepts(path, patterns, applyExtensionFilter, bypassFilter, pathText))
                continue;
            const auto info = StatPath(path);
            if (!info || !info->IsRegular())
                continue;
            if (index.Contains(path) || !files.insert(info->identity()).second)
                continue;
            index.Insert(path);
            identities.Remember(path, info->identity());
            accepted.push_back(i);
        }
    }

    FilePathList added;
    added.reserve(accepted.size());
    for (std::size_t i : accepted)
        added.push_back(std::move(candidates[i]));
    board.AppendAndShow(target, std::move(added));
    return static_cast<int>(accepted.size());
}

} // namespace pelldrake
