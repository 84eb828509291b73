#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <string>

namespace pelldrake::testing {

// A temporary folder that is removed with the object; paths come back as native bytes.
class TempDir {
public:
    TempDir() { dir_.setAutoRemove(true); }

    QString path() const { return dir_.path(); }
    QString FilePath(const QString& name) const { return dir_.filePath(name); }
    std::string Native(const QString& name) const { return QFile::encodeName(FilePath(name)).toStdString(); }

    // Writes a file of the given content and returns its native path.
    std::string Write(const QString& name, const QByteArray& content) const {
        QFile file(FilePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return Native(name);
    }

    QByteArray Read(const QString& name) const {
        QFile file(FilePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};

} // namespace pelldrake::testing
