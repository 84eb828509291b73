#pragma once

#include "core/types.h"

#include <QByteArray>
#include <QMimeData>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pelldrake {

class ClassList;

// The paths in list order, each followed by a NUL byte, then one more NUL: the packed form in
// which a whole list is handed to the clipboard or the desktop. An empty list gives one NUL.
std::string DoubleNulPathList(const ClassList& list);

// The path itself when absolute, else taken from the current folder. The board holds absolute
// paths only: a relative one would name another file, or none, once the current folder changes.
FilePath AbsolutePath(std::string_view path);

// A file URL whose path bytes are percent-encoded, so that any name, valid UTF-8 or not, comes
// back unchanged. A relative path is taken from the current folder.
QByteArray FileUrl(std::string_view path);

// The path of a local file URL ("file:///p", "file://localhost/p", "file:/p"), byte for byte;
// nullopt for any other URL and for a path holding a NUL byte.
std::optional<FilePath> LocalPathOfUrl(std::string_view url);

// The clipboard contents for a list of files: text/uri-list and x-special/gnome-copied-files,
// which file managers paste as files, and text/plain with CR LF after every path.
std::unique_ptr<QMimeData> FileListMimeData(const FilePathList& paths);

// The local files named by URLs in text/uri-list, or failing that in the GNOME form, in order.
FilePathList LocalFilesOf(const QMimeData& contents);

// Whether a paste could find files or names in the contents: a file list or text.
bool OffersFilesOrText(const QMimeData& contents);
// The largest of the forms a paste reads, in bytes.
qsizetype LargestPastedForm(const QMimeData& contents);

// The names of a text of paths: every run of CR and LF separates two names, so blank lines and
// breaks at either end give no empty name. The text ends at its first NUL byte.
FilePathList NamesOfText(std::string_view text);

} // namespace pelldrake
