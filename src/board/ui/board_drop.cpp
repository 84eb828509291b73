#include "board/ui/board_drop.h"

#include "thumbs/ui/file_drag.h"

#include <QGroupBox>
#include <QMimeData>
#include <QRect>
#include <QUrl>

namespace pelldrake {

bool AcceptsDroppedFiles(const QMimeData& data, bool runHeld) {
    return data.hasUrls() && !IsOwnFileDrag(data) && !runHeld;
}

FilePathList DroppedFiles(const QMimeData& data) {
    FilePathList paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile())
            paths.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
    }
    return paths;
}

ListIndex ListAtScreenPosition(const std::array<QGroupBox*, kListCount>& frames, const QPoint& screenPosition) {
    for (ListIndex list = 0; list < kListCount; ++list) {
        const QGroupBox* frame = frames[static_cast<std::size_t>(list)];
        if (QRect(frame->mapToGlobal(QPoint(0, 0)), frame->size()).contains(screenPosition))
            return list;
    }
    return kUnclassified;
}

} // namespace pelldrake
