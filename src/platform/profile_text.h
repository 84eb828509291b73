#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pelldrake {

// The text of an INI file parsed once, for any number of look-ups. Section and key names compare
// without regard to ASCII case; the first key of a name in any section of a name wins, as a
// line-by-line search from the top would find it.
class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(std::string_view content);

    const std::string* Find(std::string_view section, std::string_view key) const;

    // The section's key names in upper case, each once, in the order they first appear.
    std::vector<std::string> Keys(std::string_view section) const;

private:
    struct Section {
        std::unordered_map<std::string, std::string> values;
        std::vector<std::string> order;
    };
    std::unordered_map<std::string, Section> sections_;
};

// Whether the three texts can be stored as one "key=value" line of a section and read back as
// such: no line break or NUL anywhere (pasted text would become lines of its own), no "]" in the
// section name, and a key that is not empty, has no "=" and cannot be taken for a section line.
bool IsStorableEntry(std::string_view section, std::string_view key, std::string_view value);

// The content with the key set to value: the key's line replaced in place, else a line added after
// the section's last non-blank line, else the section added at the end. Every other byte stays as
// it was. Empty when the entry is not storable.
std::optional<std::string> WithEntry(std::string_view content, std::string_view section, std::string_view key,
                                     std::string_view value);

} // namespace pelldrake
