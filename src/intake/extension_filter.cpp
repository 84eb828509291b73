#include "intake/extension_filter.h"

#include "app/settings_file.h"
#include "platform/blanks.h"
#include "resources/strings.h"

namespace pelldrake {

namespace {

// Stored values are read into a path-sized buffer; a longer one is cut, but never inside a character.
constexpr std::size_t kMaxPatternBytes = 259;

std::string CutToBuffer(std::string value, const CodePage& codePage) {
    if (value.size() <= kMaxPatternBytes)
        return value;
    std::size_t end = 0;
    while (end < value.size()) {
        const std::size_t next = codePage.Next(value, end);
        if (next > kMaxPatternBytes)
            break;
        end = next;
    }
    value.resize(end);
    return value;
}

} // namespace

std::vector<std::string> ExtensionFilter::Load(const SettingsFile& settings) {
    std::vector<std::string> patterns;
    for (std::string& pattern : settings.ExtFilterPatterns()) {
        if (!pattern.empty())
            patterns.push_back(CutToBuffer(std::move(pattern), NativeCodePage()));
    }
    return patterns;
}

int ExtensionFilter::Save(const SettingsFile& settings, const std::vector<std::string>& rows) {
    int written = 0;
    for (const std::string& row : rows) {
        const std::string_view pattern = TrimBlanks(row);
        if (pattern.empty())
            continue;
        // A pattern the file cannot hold (a line break in it) leaves no gap in the numbering.
        if (settings.WriteExtFilterPattern(written, std::string(pattern)))
            ++written;
    }
    settings.WriteExtFilterCount(written);
    return written;
}

bool ExtensionFilter::Accepts(std::string_view path, const std::vector<std::string>& patterns, bool applyFilter,
                              bool bypassFilter, const PathText& pathText) {
    if (!applyFilter || patterns.empty() || bypassFilter)
        return true;
    const std::optional<std::string_view> extension = pathText.Extension(path);
    if (!extension)
        return false;
    // The first character of the path is never looked at, so a dot there does not start an extension.
    if (extension->data() == path.data() + 1)
        return false;
    const CodePage& codePage = pathText.codePage();
    for (const std::string& pattern : patterns) {
        if (codePage.CompareNoCase(*extension, pattern) == 0)
            return true;
    }
    return false;
}

std::optional<std::pair<QString, QString>> ExtensionFilter::FileDialogEntry(const std::vector<std::string>& patterns) {
    if (patterns.empty())
        return std::nullopt;
    std::string joined;
    for (const std::string& pattern : patterns) {
        if (!joined.empty())
            joined += ';';
        joined += "*.";
        joined += pattern;
    }
    return std::make_pair(strings::Utf8(strings::kExtensionFilterEntry), QString::fromUtf8(joined));
}

} // namespace pelldrake
