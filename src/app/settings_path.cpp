#include "app/settings_path.h"

#include "platform/file_info.h"
#include "platform/path_text.h"

namespace pelldrake {

QString SettingsPathFor(const QString& executablePath) {
    const FilePath path = PathFromQString(executablePath);
    const PathText& text = PathText::Native();
    const std::size_t nameStart = path.size() - text.FileName(path).size();

    std::string settingsPath = path;
    const auto extension = text.Extension(path);
    // A name that only starts with a dot (a hidden file) has no extension to replace.
    if (extension && path.size() - extension->size() - 1 > nameStart)
        settingsPath.resize(path.size() - extension->size() - 1);
    settingsPath += ".INI";
    return PathToQString(settingsPath);
}

} // namespace pelldrake
