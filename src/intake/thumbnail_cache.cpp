#include "intake/thumbnail_cache.h"

#include "app/settings_file.h"
#include "platform/file_info.h"
#include "platform/file_system.h"
#include "platform/path_text.h"

#include <algorithm>
#include <cstring>

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

} // namespace

ThumbnailCacheRule::ThumbnailCacheRule(const SettingsFile& settings, const FilePathList& chosenFolders)
    : on_(settings.DeleteThumbDb() != 0), cacheName_(on_ ? settings.ThumbDbName() : std::string()),
      pathText_(PathText::Native()) {
    if (!on_)
        return;
    for (const FilePath& folder : chosenFolders) {
        if (std::optional<FilePath> resolved = ResolvedPath(folder))
            resolvedFolders_.push_back(std::move(*resolved));
    }
}

bool ThumbnailCacheRule::Matches(std::string_view path) const {
    if (!on_)
        return false;
    // A path without a separator has no file name for this rule and never matches.
    const auto separator = pathText_.LastSeparator(path);
    return separator && EqualsIgnoringAsciiCase(path.substr(*separator + 1), cacheName_, pathText_.codePage());
}

void ThumbnailCacheRule::Remove(const FilePath& path) const {
    if (!IsRegularFileNotLink(path))
        return;
    const auto separator = pathText_.LastSeparator(path);
    const std::optional<FilePath> folder = ResolvedPath(path.substr(0, *separator + 1));
    if (!folder)
        return;
    const bool inside =
        resolvedFolders_.empty() || std::any_of(resolvedFolders_.begin(), resolvedFolders_.end(),
                                                [&](const FilePath& chosen) { return LiesWithin(*folder, chosen); });
    if (!inside)
        return;
    // By the resolved name, so that no link swapped in since can redirect it.
    PosixFileSystem().MoveToTrash(*folder + (folder->back() == '/' ? "" : "/") + path.substr(*separator + 1));
}

} // namespace pelldrake
