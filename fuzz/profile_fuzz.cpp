// Any bytes as a settings file, then one key written: the key reads back as written and every
// other line of the file stays byte for byte, with at most a line end added to the last one.

#include "platform/blanks.h"
#include "platform/profile_text.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace pelldrake;

namespace {

struct Line {
    std::string_view text;
    std::string_view ending;
};

// Kept apart from the writer's own splitting on purpose: CR LF, LF and a lone CR end a line.
std::vector<Line> Lines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\r' && content[i] != '\n')
            continue;
        const std::size_t size = (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ? 2 : 1;
        lines.push_back({content.substr(start, i - start), content.substr(i, size)});
        i += size - 1;
        start = i + 1;
    }
    if (start < content.size())
        lines.push_back({content.substr(start), {}});
    return lines;
}

std::string_view Body(std::string_view content) {
    return content.substr(0, 3) == "\xEF\xBB\xBF" ? content.substr(3) : content;
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static constexpr std::array<std::string_view, 4> kSections = {"A", "extfilter", "EXTFILTER", "a b"};
    static constexpr std::array<std::string_view, 4> kKeys = {"K", "count", "EXT00", "k k"};
    static constexpr std::array<std::string_view, 4> kValues = {"v", "", "1 2", "x=y"};
    const std::string_view section = kSections[data[0] & 3];
    const std::string_view key = kKeys[(data[0] >> 2) & 3];
    const std::string_view value = kValues[(data[0] >> 4) & 3];
    const std::string_view content(reinterpret_cast<const char*>(data) + 1, size - 1);

    // Reading anything is safe.
    const ProfileText before(content);
    for (const std::string& name : before.Keys(section))
        Check(before.Find(section, name) != nullptr);

    const std::optional<std::string> written = WithEntry(content, section, key, value);
    Check(written.has_value());
    Check(!WithEntry(content, section, key, "a\nb").has_value());
    const ProfileText after(*written);
    const std::string* read = after.Find(section, key);
    Check(read != nullptr && *read == TrimBlanks(value));

    // The byte-order mark stays; lines before and after the change are the same lines.
    Check(written->size() >= content.size() - Body(content).size());
    Check(std::string_view(*written).substr(0, content.size() - Body(content).size()) ==
          content.substr(0, content.size() - Body(content).size()));
    const std::vector<Line> a = Lines(Body(content));
    const std::vector<Line> b = Lines(Body(*written));
    const auto same = [&](std::size_t i, std::size_t j) {
        return a[i].text == b[j].text && (a[i].ending == b[j].ending || (i + 1 == a.size() && a[i].ending.empty()));
    };
    std::size_t front = 0;
    while (front < a.size() && front < b.size() && same(front, front))
        ++front;
    std::size_t back = 0;
    while (back < a.size() - front && back < b.size() - front && same(a.size() - 1 - back, b.size() - 1 - back))
        ++back;
    const std::size_t removed = a.size() - front - back;
    const std::size_t added = b.size() - front - back;
    // Nothing changed but a line end added to the last line, when the key stood there already.
    Check(removed <= 1 && added <= 2 && (removed == 0 || added == 1));
    for (std::size_t j = front; j < front + added; ++j) {
        const std::string_view text = b[j].text;
        const bool header = text == "[" + std::string(section) + "]";
        const std::size_t equals = text.find('=');
        const bool entry = equals != std::string_view::npos && text.substr(equals + 1) == value;
        Check(header || entry);
    }
    return 0;
}
