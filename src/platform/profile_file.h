#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace pelldrake {

// A hand-editable INI file that is read and written one key at a time. Unlike QSettings it
// keeps every other line of the file (comments, blank lines, order) exactly as it was.
class ProfileFile {
public:
    explicit ProfileFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // The value of the key; the default when the file, the section or the key is missing.
    // An existing key with an empty value gives the empty text.
    std::string ReadText(std::string_view section, std::string_view key, std::string_view defaultText) const;

    // The value read as a decimal integer with an optional sign; the default when missing.
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

    // Creates the file, the section and the key as needed. A file that cannot be written keeps
    // its old contents; the caller is not told, as nothing in the program reports it.
    bool WriteText(std::string_view section, std::string_view key, std::string_view value) const;

private:
    QString path_;
};

// Leading blanks, an optional sign, then decimal digits up to the first other character;
// no digits gives 0. Values beyond the range of int are clamped.
int ParseLeadingInt(std::string_view text);

} // namespace pelldrake
