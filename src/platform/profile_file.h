#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pelldrake {

class ProfileText;

// A hand-editable INI file that is read and written one key at a time. Unlike QSaveFile alone
// it keeps every other line of the file (comments, blank lines, order) exactly as it was.
//
// Every read sees the file as it is on disk; the parse is kept between reads (shared by copies of
// this object) as long as the file's identity, size and times say it has not changed.
class ProfileFile {
public:
    explicit ProfileFile(QString path);

    const QString& path() const { return path_; }

    // The value of the key; the default when the file, the section or the key is missing.
    // An existing key with an empty value gives the empty text.
    std::string ReadText(std::string_view section, std::string_view key, std::string_view defaultText) const;

    // The value read as a decimal integer with an optional sign; the default when missing.
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

    // The section's key names in upper case, in the order they first appear.
    std::vector<std::string> Keys(std::string_view section) const;

    // Something stands under the path (a file too large to be ours, a link to nothing, a folder, a
    // file this process may not read) but cannot be read whole: every read gives the defaults.
    bool Unreadable() const;

    // The file as it is now, for many look-ups that must see one and the same version of it.
    std::shared_ptr<const ProfileText> Parsed() const;

    // Creates the file, the section and the key as needed, and returns whether the key is stored.
    // The file is only ever replaced whole, and only when it was read whole: a file that is too
    // large or unreadable, not a regular file, or without any write permission keeps its contents,
    // as does a key or value that would not stay one line. A replaced file keeps its mode and
    // owner. Two programs writing at once wait for each other instead of losing a key.
    bool WriteText(std::string_view section, std::string_view key, std::string_view value) const;

private:
    struct Snapshot;

    QString path_;
    std::shared_ptr<Snapshot> snapshot_;
};

// Leading blanks, an optional sign, then decimal digits up to the first other character;
// no digits gives 0. Values beyond the range of int are clamped.
int ParseLeadingInt(std::string_view text);

} // namespace pelldrake
