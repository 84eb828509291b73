#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>

namespace pelldrake::testing {

// A temporary folder that is removed with the object; paths come back as native bytes.
class TempDir {
public:
    TempDir() { dir_.setAutoRemove(true); }

    QString path() const { return dir_.path(); }
    QString FilePath(const QString& name) const { return dir_.filePath(name); }
    std::string Native(const QString& name) const { return QFile::encodeName(FilePath(name)).toStdString(); }

    // Writes a file of the given content, with the folders above it, and returns its native path.
    std::string Write(const QString& name, const QByteArray& content) const {
        return Touch(QFile::encodeName(name).toStdString(), content);
    }
    // The same for a name given as native bytes, which need not be valid UTF-8.
    std::string Touch(const std::string& relative, const QByteArray& content = {}) const {
        const std::filesystem::path path =
            std::filesystem::path(QFile::encodeName(dir_.path()).toStdString()) / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(content.constData(), content.size());
        return path.string();
    }

    QByteArray Read(const QString& name) const {
        QFile file(FilePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};

} // namespace pelldrake::testing
