#pragma once

#include "core/types.h"
#include "platform/file_info.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelldrake {

// One elementary change of the board's lists. Every change the user makes is a sequence of these,
// so one record serves both taking a change back and writing it to the recovery journal.
struct ListChange {
    enum class Kind : std::uint8_t {
        Insert,      // path put at index (the count: appended)
        Remove,      // the entry at index taken out; path is what it held
        Clear,       // every entry taken out
        Position,    // the list's current entry becomes index
        LastTouched, // list becomes the list Backspace returns from
        // Only in the recovery journal:
        CommandEnd,  // what came since the last one was one command, whole
        FileLeaves,  // a file run is about to take path's file away from list (moved, trashed)
        FileReturns, // a file run is about to bring path's file back to list at index
        FileDone,    // the file operation the last FileLeaves or FileReturns announced is done
        FileRunEnd,  // the lists now follow the file run: its file records are spent
        Scratch,     // a file run is about to make a temporary file of its own at path
    };
    Kind kind = Kind::Insert;
    ListIndex list = kUnclassified;
    int index = 0;
    FilePath path;
    // The history keeps a run of inserts at consecutive indexes as one change: an intake of a
    // million files is one record, not a million. The journal hears each insert by itself.
    int count = 1;
    // The file a removed entry named, for undo to put back with it.
    FileIdentity identity{};
};

// The positions of every list and the list Backspace returns from: what a change of entries
// alone does not say.
struct BoardMarks {
    std::array<int, kListCount> positions{};
    ListIndex lastTouched = kUnclassified;
    bool operator==(const BoardMarks&) const = default;
};

// What a file run (a disposal, its undo or redo) is about to do to the entry that names a file.
enum class FileFate : std::uint8_t { Leaves, Returns };

// Receives every change of the lists as it happens; Commit marks the end of what one command did.
class ListChangeSink {
public:
    virtual ~ListChangeSink() = default;
    virtual void Record(const ListChange& change) = 0;
    // An insert, without a change to copy the path into: a run of a million costs no copies.
    virtual void RecordInsert(ListIndex list, int index, std::string_view path) {
        Record(ListChange{ListChange::Kind::Insert, list, index, FilePath(path)});
    }
    // paths inserted at first, first + 1, …
    virtual void RecordInsertRun(ListIndex list, int first, const FilePathList& paths) {
        for (std::size_t i = 0; i < paths.size(); ++i)
            RecordInsert(list, first + static_cast<int>(i), paths[i]);
    }
    // paths removed from first on in one piece: a Remove at each, the last first.
    virtual void RecordRemoveRun(ListIndex list, int first, const FilePathList& paths) {
        for (std::size_t k = paths.size(); k-- > 0;)
            Record(ListChange{ListChange::Kind::Remove, list, first + static_cast<int>(k), paths[k]});
    }
    // The records RecordInsertRun would make, made on any thread ahead of the change by the thread
    // that gathered the paths, so that a run of a million costs the window no encoding. Empty
    // when the sink has no use for them.
    virtual std::vector<std::string> PrepareInsertRun(ListIndex, int, const FilePathList&) const { return {}; }
    // Takes what PrepareInsertRun made, in place of RecordInsertRun.
    virtual void RecordPrepared(ListIndex, std::vector<std::string>&&) {}
    virtual void Commit() = 0;
    // Waits until what was committed is on the disk.
    virtual void Sync() {}

    // A file run moves files while the lists stand still, and changes the lists once it ends: a
    // kill in between must find out which files went. Called from the run's own thread before each
    // file operation, then after it; the lists' changes that end the run carry a FileRunEnd.
    virtual void FileIntent(FileFate, ListIndex, int, std::string_view) {}
    virtual void FileDone() {}
    // A file run that replaces a file through a temporary one names it here, from its own thread,
    // before it makes it: a kill before the rename leaves it for the recovery to remove.
    virtual void ScratchIntent(std::string_view) {}
};

} // namespace pelldrake
