#pragma once

#include "board/picture_files.h"
#include "xmp/xmp_decision.h"
#include "xmp/xmp_record.h"

namespace pelldrake {

class FileSystem;
class ListChangeSink;
class ProgressSink;

// What a run of a list's decision works with: the disk, never the lists, so that it can run on a
// thread of its own.
struct XmpRunContext {
    FileSystem& fileSystem;
    // Hears which file of how many the run is at; a stop asked there ends the run after that file.
    ProgressSink* sink = nullptr;
    // Hears of each temporary file before it is made.
    ListChangeSink* journal = nullptr;
    // The files of the entries, index for index, telling which have the raw files of a pair; with
    // rawEntries, those that are entries of their own (RawEntries::OfBoardIfPaired). Both none: no
    // entry has a pair.
    const std::vector<FileIdentity>* files = nullptr;
    const RawEntries* rawEntries = nullptr;
};

struct XmpRunOutcome {
    XmpRecord record;
    // The pictures whose sidecar could not be written, in the list's order, each once.
    FilePathList failed;
};

// Writes the decision into the sidecars of the form of every entry: a sidecar that is there is
// merged, one that is not is made, and one shared by several entries is written once. The
// pictures are never written; a sidecar that cannot be read as XMP is left as it is.
XmpRunOutcome WriteDecision(const XmpRunContext& context, const FilePathList& entries, const XmpDecision& decision,
                            SidecarForm form);

// One sidecar given the decision, noted in record when it changed; false when it could not be.
bool WriteOneSidecar(FileSystem& fileSystem, ListChangeSink* journal, const FilePath& sidecar,
                     const XmpDecision& decision, XmpRecord* record);

} // namespace pelldrake
