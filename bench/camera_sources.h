#pragma once

// Picture files as cameras and phones write them, made at run time for the drivers that step
// through them.

#include "../tests/support/embedded_previews.h"
#include "../tests/support/library_images.h"
#include "../tests/support/test_images.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <string>
#include <unistd.h>

inline std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Makes dirPath/source<seed>.<extension> for format jpg (6000 x 4000, quality 92, a 160 x 120 EXIF
// thumbnail), heic (4243 x 2828 with a 320-pixel thumbnail picture, as heif-enc writes phones'
// files), jxl (4243 x 2828 recompressed from a camera JPEG, its EXIF thumbnail kept, as cjxl does)
// or phone (a copy of the phone's HEIC in tests/data). Its size in bytes, or -1.
inline qint64 MakeCameraSource(const QString& dirPath, const QString& format, int seed) {
    using namespace pelldrake;
    const auto named = [&dirPath, seed](const char* stem, const QString& extension) {
        return Native(QDir(dirPath).filePath(QStringLiteral("%1%2.%3").arg(stem).arg(seed).arg(extension)));
    };
    if (format == "phone") {
        const QString copy = QString::fromStdString(named("source", QStringLiteral("heic")));
        return QFile::copy(QStringLiteral(PELLDRAKE_SOURCE_DIR "/tests/data/phone/IMG_5195.HEIC"), copy)
                   ? QFileInfo(copy).size()
                   : -1;
    }
    const QImage picture = testing::PhotoLikeImage(QSize(6000, 4000), static_cast<std::uint32_t>(seed), /*grain=*/28);
    const QByteArray bytes = testing::EncodeImage(picture, "jpeg", 92);
    const std::string path = named("source", QStringLiteral("jpg"));
    if (bytes.isEmpty() || !testing::WriteNativeFile(path, bytes))
        return -1;
    const auto thumbnail = [&picture] {
        return testing::EncodeImage(picture.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), "jpeg",
                                    85);
    };
    if (format == "jpg")
        return testing::AddExifThumbnail(path, thumbnail()) ? bytes.size() : -1;
    // 12 megapixels, 3:2, through a JPEG as a camera or phone would have made it.
    const std::string twelve = named("twelve", QStringLiteral("jpg"));
    const QImage smaller = picture.scaled(4243, 2828, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!testing::WriteNativeFile(twelve, testing::EncodeImage(smaller, "jpeg", 92)))
        return -1;
    // The camera's thumbnail, which cjxl keeps in the EXIF it carries over.
    if (format == "jxl" && !testing::AddExifThumbnail(twelve, thumbnail()))
        return -1;
    const std::string made = format == "heic" ? testing::HeicFrom(twelve, named("source", format),
                                                                  {QStringLiteral("-t"), QStringLiteral("320")})
                                              : testing::JxlFrom(twelve, named("source", format));
    ::unlink(twelve.c_str());
    ::unlink(path.c_str());
    return made.empty() ? -1 : QFileInfo(QFile::decodeName(QByteArray::fromStdString(made))).size();
}
