#include "thumbs/ui/file_drag.h"

#include "intake/clipboard_formats.h"

#include <QCoreApplication>

namespace pelldrake {

namespace {

constexpr char kUriListFormat[] = "text/uri-list";
// The process, so that another board of the user's (--new-window) still takes the drop.
constexpr char kOwnDragFormat[] = "application/x-pelldrake-board-drag";

QByteArray ThisProcess() {
    return QByteArray::number(QCoreApplication::applicationPid());
}

} // namespace

std::unique_ptr<QMimeData> FileDragData(const FilePath& path) {
    auto data = std::make_unique<QMimeData>();
    data->setData(kUriListFormat, FileUrl(path) + "\r\n");
    data->setData(kOwnDragFormat, ThisProcess());
    return data;
}

bool IsOwnFileDrag(const QMimeData& data) {
    return data.hasFormat(kOwnDragFormat) && data.data(kOwnDragFormat) == ThisProcess();
}

} // namespace pelldrake
