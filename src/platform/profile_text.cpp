#include "platform/profile_text.h"

#include "platform/blanks.h"

namespace pelldrake {

namespace {

// Editors on Windows start UTF-8 files with a byte-order mark; it is not part of the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string Folded(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    }
    return out;
}

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

// Walks the lines of a text without storing them: a file of millions of blank lines costs no
// more memory than its bytes. CR LF, LF and a lone CR (old Mac files) each end a line.
class LineReader {
public:
    explicit LineReader(std::string_view content) : rest_(content) {}

    std::optional<Line> Next() {
        if (rest_.empty())
            return std::nullopt;
        const std::size_t end = rest_.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            const Line last{rest_, {}};
            rest_ = {};
            return last;
        }
        const std::size_t endingSize = (rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n') ? 2 : 1;
        const Line line{rest_.substr(0, end), rest_.substr(end, endingSize)};
        rest_.remove_prefix(end + endingSize);
        return line;
    }

private:
    std::string_view rest_;
};

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

std::string_view WithoutByteOrderMark(std::string_view content) {
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        content.remove_prefix(kByteOrderMark.size());
    return content;
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

ProfileText::ProfileText(std::string_view content) {
    Section* current = nullptr;
    LineReader lines(WithoutByteOrderMark(content));
    while (const std::optional<Line> line = lines.Next()) {
        if (const auto name = SectionName(line->text)) {
            current = &sections_[Folded(*name)];
            continue;
        }
        if (!current)
            continue;
        if (const auto entry = ParseKeyLine(line->text)) {
            std::string key = Folded(entry->key);
            if (current->values.try_emplace(key, entry->value).second)
                current->order.push_back(std::move(key));
        }
    }
}

const std::string* ProfileText::Find(std::string_view section, std::string_view key) const {
    const auto inSection = sections_.find(Folded(section));
    if (inSection == sections_.end())
        return nullptr;
    const auto value = inSection->second.values.find(Folded(key));
    return value == inSection->second.values.end() ? nullptr : &value->second;
}

std::vector<std::string> ProfileText::Keys(std::string_view section) const {
    const auto inSection = sections_.find(Folded(section));
    return inSection == sections_.end() ? std::vector<std::string>() : inSection->second.order;
}

bool IsStorableEntry(std::string_view section, std::string_view key, std::string_view value) {
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value))
        return false;
    if (section.find(']') != std::string_view::npos)
        return false;
    const std::string_view trimmedKey = TrimBlanks(key);
    return !trimmedKey.empty() && trimmedKey.front() != '[' && key.find('=') == std::string_view::npos;
}

std::optional<std::string> WithEntry(std::string_view content, std::string_view section, std::string_view key,
                                     std::string_view value) {
    if (!IsStorableEntry(section, key, value))
        return std::nullopt;
    const std::string_view body = WithoutByteOrderMark(content);

    // New lines take the ending the file already uses.
    std::string_view newline = "\r\n";
    if (const std::optional<Line> first = LineReader(body).Next(); first && !first->ending.empty())
        newline = first->ending;

    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> sectionEnd; // index after the section's last non-blank line
    bool inSection = false;
    LineReader finder(body);
    for (std::size_t i = 0; !keyLine; ++i) {
        const std::optional<Line> line = finder.Next();
        if (!line)
            break;
        if (const auto name = SectionName(line->text)) {
            if (inSection)
                break;
            inSection = EqualsNoCase(*name, section);
            if (inSection)
                sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (!TrimBlanks(line->text).empty())
            sectionEnd = i + 1;
        if (const auto entry = ParseKeyLine(line->text); entry && EqualsNoCase(entry->key, key))
            keyLine = i;
    }

    const std::string keyAndValue = std::string(key) + "=" + std::string(value);
    const std::size_t markSize = content.size() - body.size();
    std::string out(content.substr(0, markSize));
    out.reserve(content.size() + keyAndValue.size() + section.size() + 8);
    auto appendLine = [&](std::string_view text, std::string_view ending) {
        out += text;
        out += ending;
    };
    LineReader writer(body);
    for (std::size_t i = 0;; ++i) {
        const std::optional<Line> line = writer.Next();
        if (!line)
            break;
        // Only the last line can lack an ending.
        const std::string_view ending = line->ending;
        if (keyLine && i == *keyLine) {
            // Keep the key as the user spelled it.
            const std::size_t equals = line->text.find('=');
            appendLine(std::string(TrimBlanks(line->text.substr(0, equals))) + "=" + std::string(value),
                       ending.empty() ? newline : ending);
            continue;
        }
        const bool insertAfter = !keyLine && sectionEnd && i + 1 == *sectionEnd;
        appendLine(line->text, (ending.empty() && insertAfter) ? newline : ending);
        if (insertAfter)
            appendLine(keyAndValue, newline);
    }
    if (!keyLine && !sectionEnd) {
        if (out.size() > markSize && out.back() != '\n' && out.back() != '\r')
            out += newline;
        appendLine("[" + std::string(section) + "]", newline);
        appendLine(keyAndValue, newline);
    }
    return out;
}

} // namespace pelldrake
