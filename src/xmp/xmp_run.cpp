#include "xmp/xmp_run.h"

#include "core/progress.h"
#include "xmp/sidecar_replace.h"
#include "xmp/sidecar_targets.h"
#include "xmp/xmp_merge.h"

#include <unordered_set>

namespace pelldrake {

bool WriteOneSidecar(FileSystem& fileSystem, ListChangeSink* journal, const FilePath& sidecar,
                     const XmpDecision& decision, XmpRecord* record) {
    SidecarBefore before = ReadSidecar(fileSystem, sidecar);
    if (before.kind == SidecarBefore::Kind::Untouchable)
        return false;
    const bool existed = before.kind == SidecarBefore::Kind::Xmp;
    std::optional<std::string> existing;
    if (existed)
        existing = std::move(before.bytes);
    const std::optional<std::string> merged = MergeDecision(existing, decision);
    if (!merged)
        return !existed; // a new sidecar with nothing in it is not made
    if (merged == existing)
        return true;
    if (ReplaceFile(fileSystem, journal, before.path, *merged, existed ? std::optional(before.mode) : std::nullopt) !=
        0)
        return false;
    if (record)
        record->push_back(
            {before.path, std::move(existing), before.mode, fileSystem.Status(before.path).value_or(FileStatus{})});
    return true;
}

XmpRunOutcome WriteDecision(const XmpRunContext& context, const FilePathList& entries, const XmpDecision& decision,
                            SidecarForm form) {
    XmpRunOutcome outcome;
    if (decision.ChangesNothing())
        return outcome;
    PictureFiles files(context.fileSystem, context.rawEntries);
    std::unordered_set<FilePath> written;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const FilePath& picture = entries[i];
        if (context.sink)
            context.sink->Report(i + 1, entries.size(), picture);
        const bool paired = context.files && i < context.files->size() && (*context.files)[i].Paired();
        // A sidecar beside a picture that has gone since would describe nothing.
        const std::optional<FileStatus> status = context.fileSystem.Status(picture);
        bool failed = !status || !status->isRegular;
        for (const FilePath& sidecar : failed ? FilePathList() : SidecarTargets(picture, paired, form, files)) {
            if (written.insert(sidecar).second &&
                !WriteOneSidecar(context.fileSystem, context.journal, sidecar, decision, &outcome.record))
                failed = true;
        }
        if (failed)
            outcome.failed.push_back(picture);
        if (context.sink && context.sink->StopRequested())
            break;
    }
    return outcome;
}

} // namespace pelldrake
