#include "app/settings_path.h"

#include "platform/path_text.h"

#include <QFile>

namespace pelldrake {

QString SettingsPathFor(const QString& executablePath) {
    const QByteArray encoded = QFile::encodeName(executablePath);
    const std::string path(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    const PathText& text = PathText::Native();
    const std::size_t nameStart = path.size() - text.FileName(path).size();

    std::string settingsPath = path;
    const auto extension = text.Extension(path);
    // A name that only starts with a dot (a hidden file) has no extension to replace.
    if (extension && path.size() - extension->size() - 1 > nameStart)
        settingsPath.resize(path.size() - extension->size() - 1);
    settingsPath += ".INI";
    return QFile::decodeName(QByteArray(settingsPath.data(), static_cast<qsizetype>(settingsPath.size())));
}

} // namespace pelldrake
