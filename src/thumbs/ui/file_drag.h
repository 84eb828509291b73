#pragma once

#include "core/types.h"

#include <QMimeData>
#include <memory>

namespace pelldrake {

// A picture dragged out of the board offers its file, never moves it: the file stays where the
// lists say it is.
inline constexpr Qt::DropActions kFileDragActions = Qt::CopyAction;

// What a picture dragged out of the board carries: its file as a file URL (text/uri-list), which
// a file manager, an editor or a browser's upload field takes, and a mark of this program.
std::unique_ptr<QMimeData> FileDragData(const FilePath& path);

// Whether a drag is one of this program's own pictures: the board takes no drop of them, so a
// drag that ends back on the board does nothing.
bool IsOwnFileDrag(const QMimeData& data);

} // namespace pelldrake
