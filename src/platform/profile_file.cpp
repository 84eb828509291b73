#include "platform/profile_file.h"

#include "platform/blanks.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <climits>
#include <optional>
#include <vector>

namespace pelldrake {

namespace {

// Settings files are a few hundred bytes; anything far larger is not ours to parse.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

struct Line {
    std::string_view text; // without its line end
    std::string_view ending;
};

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    while (!content.empty()) {
        const std::size_t newline = content.find('\n');
        std::string_view text = content.substr(0, newline);
        std::string_view ending;
        if (newline != std::string_view::npos) {
            ending = content.substr(newline, 1);
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
                ending = content.substr(newline - 1, 2);
            }
            content.remove_prefix(newline + 1);
        } else {
            content = {};
        }
        lines.push_back({text, ending});
    }
    return lines;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return TrimBlanks(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
}

std::optional<std::string> ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > kMaxFileSize)
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::optional<std::string> FindValue(std::string_view content, std::string_view section, std::string_view key) {
    bool inSection = false;
    for (const Line& line : SplitLines(content)) {
        if (const auto name = SectionName(line.text)) {
            inSection = EqualsNoCase(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (const auto entry = ParseKeyLine(line.text); entry && EqualsNoCase(entry->key, key))
            return std::string(entry->value);
    }
    return std::nullopt;
}

} // namespace

int ParseLeadingInt(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

std::string ProfileFile::ReadText(std::string_view section, std::string_view key, std::string_view defaultText) const {
    const auto content = ReadWholeFile(path_);
    if (!content)
        return std::string(defaultText);
    auto value = FindValue(*content, section, key);
    return value ? std::move(*value) : std::string(defaultText);
}

int ProfileFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    const auto content = ReadWholeFile(path_);
    if (!content)
        return defaultValue;
    const auto value = FindValue(*content, section, key);
    return value ? ParseLeadingInt(*value) : defaultValue;
}

bool ProfileFile::WriteText(std::string_view section, std::string_view key, std::string_view value) const {
    if (QFileInfo(path_).isDir())
        return false;
    const std::string content = ReadWholeFile(path_).value_or(std::string());
    const std::vector<Line> lines = SplitLines(content);

    // New lines take the ending the file already uses.
    std::string_view newline = "\r\n";
    if (!lines.empty() && lines.front().ending == "\n")
        newline = "\n";

    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> sectionEnd; // index after the section's last non-blank line
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size() && !keyLine; ++i) {
        if (const auto name = SectionName(lines[i].text)) {
            if (inSection)
                break;
            inSection = EqualsNoCase(*name, section);
            if (inSection)
                sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (!TrimBlanks(lines[i].text).empty())
            sectionEnd = i + 1;
        if (const auto entry = ParseKeyLine(lines[i].text); entry && EqualsNoCase(entry->key, key))
            keyLine = i;
    }

    std::string keyAndValue = std::string(key) + "=" + std::string(value);
    std::string out;
    out.reserve(content.size() + keyAndValue.size() + section.size() + 8);
    auto appendLine = [&](std::string_view text, std::string_view ending) {
        out += text;
        out += ending;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view ending = lines[i].ending;
        if (keyLine && i == *keyLine) {
            // Keep the key as the user spelled it.
            const std::size_t equals = lines[i].text.find('=');
            appendLine(std::string(TrimBlanks(lines[i].text.substr(0, equals))) + "=" + std::string(value),
                       ending.empty() ? newline : ending);
            continue;
        }
        const bool insertAfter = !keyLine && sectionEnd && i + 1 == *sectionEnd;
        appendLine(lines[i].text, (ending.empty() && (insertAfter || i + 1 < lines.size())) ? newline : ending);
        if (insertAfter)
            appendLine(keyAndValue, newline);
    }
    if (!keyLine && !sectionEnd) {
        if (!out.empty() && out.back() != '\n')
            out += newline;
        appendLine("[" + std::string(section) + "]", newline);
        appendLine(keyAndValue, newline);
    }

    // Write beside the old file and rename over it, so a failed write never leaves half a file.
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(out.data(), static_cast<qint64>(out.size()));
    return file.commit();
}

} // namespace pelldrake
