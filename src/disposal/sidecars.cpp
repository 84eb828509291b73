#include "disposal/sidecars.h"

#include "disposal/file_transfer.h"
#include "platform/file_system.h"

namespace pelldrake {

bool Sidecars::Carry(const FilePath& file, const FilePath& target, bool copied, bool replaceAgreed,
                     DisposalRecord* record) {
    std::optional<FilePath> replaced;
    if (fileSystem_.NameTaken(target)) {
        if (copiedTo_.count(target))
            return false; // shared, and copied with another picture of its name already
        if (!replaceAgreed || !(replaced = fileSystem_.MoveToTrash(target))) {
            leftBehind_.push_back(file);
            return false;
        }
    }
    const TransferResult transfer = TransferFile(fileSystem_, file, target, copied);
    if (!transfer.ok()) {
        if (replaced)
            fileSystem_.RestoreFromTrash(*replaced, target);
        leftBehind_.push_back(file);
        return false;
    }
    copiedTo_.insert(target);
    const bool moved = !copied && !transfer.sourceKept;
    if (moved)
        files_.Left(file);
    if (record)
        record->push_back({moved ? FileDisposal::Kind::Moved : FileDisposal::Kind::Copied, file, target,
                           fileSystem_.Status(target).value_or(FileStatus{}), replaced});
    return true;
}

bool Sidecars::Trash(const FilePath& file, DisposalRecord* record) {
    const std::optional<FilePath> trashed = fileSystem_.MoveToTrash(file);
    if (!trashed) {
        leftBehind_.push_back(file);
        return false;
    }
    files_.Left(file);
    if (record)
        record->push_back({FileDisposal::Kind::Trashed, file, *trashed, {}, std::nullopt});
    return true;
}

void Sidecars::Follow(const FilePath& picture, const FilePath& target, bool copied, bool replaceAgreed, bool paired,
                      DisposalRecord* record) {
    if (!copied)
        files_.Left(picture);
    const FilePath targetFolder = FolderOf(target);
    if (paired) {
        for (const FilePath& companion : files_.Companions(picture)) {
            const FilePath companionTarget = Join(targetFolder, NameOf(companion));
            if (Carry(companion, companionTarget, copied, replaceAgreed, record))
                Follow(companion, companionTarget, copied, replaceAgreed, false, record);
        }
    }
    for (const FilePath& sidecar : files_.SidecarsOf(picture, !copied))
        Carry(sidecar, Join(targetFolder, NameOf(sidecar)), copied, replaceAgreed, record);
}

void Sidecars::FollowToTrash(const FilePath& picture, bool paired, DisposalRecord* record) {
    files_.Left(picture);
    if (paired) {
        for (const FilePath& companion : files_.Companions(picture)) {
            if (Trash(companion, record))
                FollowToTrash(companion, false, record);
        }
    }
    for (const FilePath& sidecar : files_.SidecarsOf(picture, true))
        Trash(sidecar, record);
}

} // namespace pelldrake
