#pragma once

#include "core/progress.h"
#include "core/types.h"

namespace pelldrake {

// Appends every file of the folder to out, in name order (see NameSortKey), as
// folder + "/" + name (a folder given with a trailing "/" does not get a second one, so the root
// gives "/name"). With includeSubfolders each subfolder is scanned the moment it is met, so its
// files come before the parent's later entries; folders whose names begin with "." are never
// entered, while files whose names begin with "." are taken like any other.
//
// On a file system with symbolic links and unreadable folders:
// - A link to a file is taken as a file; a dangling link is taken too (there is no telling what it
//   was meant to be) and the existence test of AddFiles drops it.
// - A link to a folder is a folder when it leads to a folder inside the chosen one, every link
//   resolved; a link leading out of the chosen folder's tree is passed over. No folder is entered
//   twice in one scan, whichever road leads to it, so a link to a parent ends instead of looping
//   and every file is listed once.
// - Names are bytes: a name that is not valid UTF-8 is kept exactly as the file system gives it.
// - A folder that cannot be read contributes nothing and does not stop the rest of the scan.
// - A folder on a pseudo file system (/proc, /sys, /dev) contributes nothing either.
//
// progress, when given, hears the number of files found so far (of an unknown total) as the scan
// goes, at least once per folder, and is asked after each folder whether to stop. Returns false when
// it stopped; out then holds only part of the folder's files.
bool ScanFolder(FilePathList& out, const FilePath& folder, bool includeSubfolders, ProgressSink* progress = nullptr);

} // namespace pelldrake
