#pragma once

#include "core/types.h"

#include <QPoint>
#include <array>

class QGroupBox;
class QMimeData;

namespace pelldrake {

// Whether files dragged onto the board may be dropped there: files from elsewhere (a picture
// dragged out of the board itself ends where it began), and only while no run holds the board,
// since a drop is no user input to a run's event loop.
bool AcceptsDroppedFiles(const QMimeData& data, bool runHeld);

// The local files a drop carries, their names' bytes as the URLs encode them: a name that is not
// valid UTF-8 stays intact.
FilePathList DroppedFiles(const QMimeData& data);

// The list whose pane frame holds the screen position; the unclassified list elsewhere.
ListIndex ListAtScreenPosition(const std::array<QGroupBox*, kListCount>& frames, const QPoint& screenPosition);

} // namespace pelldrake
