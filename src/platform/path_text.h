#pragma once

#include "platform/code_page.h"

#include <optional>
#include <string>
#include <string_view>

namespace pelldrake {

// Path walks that step by whole characters of a code page, with one separator character.
class PathText {
public:
    PathText(const CodePage& codePage, char separator) : codePage_(codePage), separator_(separator) {}

    // The platform's own: UTF-8 names with "/".
    static const PathText& Native();

    const CodePage& codePage() const { return codePage_; }
    char separator() const { return separator_; }

    // Byte offset of the last separator, or nullopt when the path has none.
    std::optional<std::size_t> LastSeparator(std::string_view path) const;

    // The text after the last separator; the whole path when there is no separator.
    std::string_view FileName(std::string_view path) const;

    // The text after the last dot of the file name (possibly empty when the name ends in a dot),
    // or nullopt when the file name holds no dot.
    std::optional<std::string_view> Extension(std::string_view path) const;

    // True when the last whole character is the separator.
    bool EndsWithSeparator(std::string_view path) const;

    // The path without one trailing separator.
    std::string_view WithoutTrailingSeparator(std::string_view path) const;

    // folder + separator + name, without doubling a separator the folder already ends in.
    std::string Join(std::string_view folder, std::string_view name) const;

private:
    const CodePage& codePage_;
    char separator_;
};

} // namespace pelldrake
