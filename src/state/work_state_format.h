#pragma once

#include <string>
#include <string_view>

// The work-state file: a header, then for each list a section mark, its number and one path per
// line, then an end mark. Lines end with CR LF.
namespace pelldrake::work_state {

inline constexpr std::string_view kMagic = "PelldrakeData";
inline constexpr std::string_view kVersionLabel = "Version";
inline constexpr std::string_view kVersion = "1.8";
inline constexpr std::string_view kEndMark = "%";
inline constexpr std::string_view kSectionMark = "*section";
inline constexpr std::string_view kLineEnd = "\r\n";

// The recovery files must hold every name the lists hold, a line break included, and the load
// command reads them. A header line of this text marks a file whose data lines are escaped: there,
// and only there, "\\", "\r" and "\n" stand for a backslash, a CR and an LF. The header lines of
// other files are passed over unread, so no file without it changes meaning.
inline constexpr std::string_view kEscapedNote = "Escaped \\\\ \\r \\n";
// Appends the path as one escaped line, without its line end.
void AppendEscaped(std::string_view path, std::string& line);
// The path an escaped line stands for. A backslash before anything else stands for itself.
std::string Unescaped(std::string_view line);

// Compares with one of the marks above, which are plain ASCII, ignoring the case of ASCII letters.
// A byte of a multi-byte character never equals an ASCII byte of the mark, folded or not.
bool EqualsMarkIgnoringCase(std::string_view line, std::string_view mark);

// A section number read as C's atoi reads it: leading white space, one sign, then digits up to the
// first other character; no digits give 0. Numbers too large for an int saturate, which keeps them
// outside every section.
int ParseSectionNumber(std::string_view line);

} // namespace pelldrake::work_state
