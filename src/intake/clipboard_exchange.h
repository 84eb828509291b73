#pragma once

#include "core/types.h"

namespace pelldrake {

class Board;
class Clipboard;
class Prompter;
class SettingsFile;

// Puts every path of the list on the clipboard, as files for a file manager and as text, each
// with the raw files of its pair and the sidecars that follow it in a disposal, then asks whether
// to empty the list. When the clipboard cannot be used the user is told and
// nothing changes. An empty list puts nothing there.
void CopyListToClipboard(Board& board, ListIndex list, Clipboard& clipboard, Prompter& prompter);

// Adds the files on the clipboard to the unclassified list through AddFiles: the local files of
// a file list, or else the names of a text, one per line, of which those that are missing or
// folders are named to the user. Relative names are taken from the current folder.
void PasteFilesFromClipboard(Board& board, const SettingsFile& settings, bool applyExtensionFilter,
                             Clipboard& clipboard, Prompter& prompter);

// At most this many unusable names are listed in one message; a last line "…" stands for the rest.
inline constexpr int kMaxListedUnusableNames = 50;

} // namespace pelldrake
