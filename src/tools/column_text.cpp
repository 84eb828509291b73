#include "tools/column_text.h"

namespace pelldrake {

namespace {

struct Marks {
    std::optional<std::size_t> lastSeparator;
    std::optional<std::size_t> lastDot;
};

// One pass forward by whole characters (a trail byte is never looked at) finds what a walk back from the end meets
// first. The first character is a drive letter or the like and never counts, except the root separator that starts
// every absolute path here: without it a file in the root would show its whole path as its folder.
Marks FindMarks(std::string_view path, const PathText& pathText) {
    const CodePage& codePage = pathText.codePage();
    Marks marks;
    if (path.empty())
        return marks;
    if (path[0] == pathText.separator())
        marks.lastSeparator = 0;
    // A byte below 0x80 that starts a character is the whole character in every code page here, so only the others
    // need asking how long they are; the separator and the dot are among the former.
    for (std::size_t pos = codePage.Next(path, 0); pos < path.size();) {
        const char byte = path[pos];
        if (static_cast<unsigned char>(byte) >= 0x80) {
            pos += codePage.CharLength(path, pos);
            continue;
        }
        if (byte == pathText.separator())
            marks.lastSeparator = pos;
        else if (byte == '.')
            marks.lastDot = pos;
        ++pos;
    }
    // A dot in a folder name is behind the last separator for a walk from the end.
    if (marks.lastDot && marks.lastSeparator && *marks.lastDot < *marks.lastSeparator)
        marks.lastDot.reset();
    return marks;
}

} // namespace

std::string_view ColumnTextOf(std::string_view path, int column, const PathText& pathText) {
    const Marks marks = FindMarks(path, pathText);
    const std::size_t nameStart = marks.lastSeparator ? *marks.lastSeparator + 1 : 0;
    switch (column) {
    case kNameColumn: {
        const std::size_t nameEnd = marks.lastDot.value_or(path.size());
        return path.substr(nameStart, nameEnd - nameStart);
    }
    case kExtensionColumn:
        if (marks.lastDot)
            return path.substr(*marks.lastDot + 1);
        return marks.lastSeparator ? std::string_view() : path;
    case kFolderColumn:
        return marks.lastSeparator ? path.substr(0, *marks.lastSeparator) : path;
    default:
        return {};
    }
}

std::optional<std::string_view> ColumnText(const ClassList& list, int position, int column, const PathText& pathText) {
    if (position < 0 || position >= list.Count())
        return std::nullopt;
    return ColumnTextOf(list.At(position), column, pathText);
}

} // namespace pelldrake
