#include "board/status_text.h"

#include "platform/file_info.h"
#include "resources/strings.h"

namespace pelldrake {

QString StatusTextFor(const FilePath& path) {
    const auto info = StatPath(path);
    if (!info)
        return strings::Utf8(strings::kStatusUnavailable);
    // The whole size, not only its low 32 bits: files of 4 GB and more exist.
    const long long size = info->size;
    const FilePath name = FileNameOf(path);
    if (size <= 2047)
        return QString::asprintf(strings::kStatusFormat, name.c_str(), static_cast<long>(size), "");
    return QString::asprintf(strings::kStatusFormat, name.c_str(), static_cast<long>(size / 1024),
                             strings::kStatusKilobytes);
}

QString StatusTextFor(const FilePath& path, const QString& notShownReason) {
    return notShownReason.isEmpty() ? StatusTextFor(path) : notShownReason + QLatin1Char(' ') + StatusTextFor(path);
}

} // namespace pelldrake
