#include "platform/path_text.h"

namespace pelldrake {

const PathText& PathText::Native() {
    static const PathText native(NativeCodePage(), '/');
    return native;
}

std::optional<std::size_t> PathText::LastSeparator(std::string_view path) const {
    std::optional<std::size_t> last;
    for (std::size_t pos = 0; pos < path.size(); pos = codePage_.Next(path, pos)) {
        if (path[pos] == separator_ && codePage_.CharLength(path, pos) == 1)
            last = pos;
    }
    return last;
}

std::string_view PathText::FileName(std::string_view path) const {
    const auto separator = LastSeparator(path);
    return separator ? path.substr(*separator + 1) : path;
}

std::optional<std::string_view> PathText::Extension(std::string_view path) const {
    const std::string_view name = FileName(path);
    std::optional<std::size_t> lastDot;
    for (std::size_t pos = 0; pos < name.size(); pos = codePage_.Next(name, pos)) {
        if (name[pos] == '.' && codePage_.CharLength(name, pos) == 1)
            lastDot = pos;
    }
    if (!lastDot)
        return std::nullopt;
    return name.substr(*lastDot + 1);
}

bool PathText::EndsWithSeparator(std::string_view path) const {
    if (path.empty())
        return false;
    const std::size_t last = codePage_.Previous(path, path.size());
    return path.size() - last == 1 && path[last] == separator_;
}

std::string_view PathText::WithoutTrailingSeparator(std::string_view path) const {
    return EndsWithSeparator(path) ? path.substr(0, path.size() - 1) : path;
}

std::string PathText::Join(std::string_view folder, std::string_view name) const {
    std::string joined(WithoutTrailingSeparator(folder));
    joined += separator_;
    joined += name;
    return joined;
}

} // namespace pelldrake
