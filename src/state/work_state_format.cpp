#include "state/work_state_format.h"

#include <climits>

namespace pelldrake::work_state {

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

bool EqualsMarkIgnoringCase(std::string_view line, std::string_view mark) {
    if (line.size() != mark.size())
        return false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (AsciiLower(line[i]) != AsciiLower(mark[i]))
            return false;
    }
    return true;
}

int ParseSectionNumber(std::string_view line) {
    std::size_t pos = 0;
    while (pos < line.size() && IsSpace(line[pos]))
        ++pos;
    bool negative = false;
    if (pos < line.size() && (line[pos] == '+' || line[pos] == '-')) {
        negative = line[pos] == '-';
        ++pos;
    }
    long long value = 0;
    for (; pos < line.size() && line[pos] >= '0' && line[pos] <= '9'; ++pos) {
        value = value * 10 + (line[pos] - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

void AppendEscaped(std::string_view path, std::string& line) {
    // Nearly every name has nothing to escape: a snapshot of a million costs no more than before.
    if (path.find_first_of("\\\r\n") == std::string_view::npos) {
        line.append(path);
        return;
    }
    for (const char c : path) {
        if (c == '\\' || c == '\r' || c == '\n') {
            line += '\\';
            line += c == '\r' ? 'r' : c == '\n' ? 'n' : '\\';
        } else {
            line += c;
        }
    }
}

std::string Unescaped(std::string_view line) {
    std::string path;
    path.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if (line[i] == '\\' && (next == '\\' || next == 'r' || next == 'n')) {
            path += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
            ++i;
        } else {
            path += line[i];
        }
    }
    return path;
}

} // namespace pelldrake::work_state
