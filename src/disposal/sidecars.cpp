#include "disposal/sidecars.h"

#include "disposal/file_transfer.h"
#include "platform/file_info.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "resources/disposal_strings.h"

#include <cerrno>

namespace pelldrake {

namespace {

// A link is moved as a link: renamed as it is, a relative one would name another file at its new
// place, or none. It names the file it reached, from wherever it stands. None when file is no
// link, or no link can be made there (a memory card's file system): then its file's bytes go.
std::optional<TransferResult> MoveLink(FileSystem& fileSystem, const FilePath& file, const FilePath& target) {
    const std::optional<FilePath> text = fileSystem.LinkText(file);
    if (!text)
        return std::nullopt;
    const FilePath reached = text->starts_with('/') ? *text : Join(FolderOf(file), *text);
    if (fileSystem.MakeLink(reached, target) != 0)
        return std::nullopt;
    const int error = fileSystem.Remove(file);
    return TransferResult{0, error != 0 && error != ENOENT};
}

} // namespace

bool Sidecars::MayReplace(const FilePath& file, const FilePath& target, bool copied, bool replaceAgreed) {
    const std::optional<FileStatus> there = fileSystem_.Status(target);
    // Copied before with another picture of its name, or by an earlier copy: it is there already.
    if (copiedTo_.count(target) || (copied && there && fileSystem_.SameBytes(file, target)))
        return false;
    if ((there && there->isFolder) || !replaceAgreed || cancelled_) {
        leftBehind_.push_back(file);
        return false;
    }
    if (!prompter_)
        return true;
    const PromptAnswer answer =
        prompter_->Ask(QString::asprintf(strings::kOverwriteQuestion, PathToQString(file).toUtf8().constData(),
                                         PathToQString(target).toUtf8().constData()),
                       PromptButtons::YesNoCancel, PromptIcon::Question);
    cancelled_ = answer == PromptAnswer::Cancel;
    return answer == PromptAnswer::Yes;
}

bool Sidecars::Carry(const FilePath& file, const FilePath& target, bool copied, bool replaceAgreed,
                     DisposalRecord* record) {
    std::optional<FilePath> replaced;
    if (fileSystem_.NameTaken(target)) {
        if (!MayReplace(file, target, copied, replaceAgreed))
            return false;
        if (!(replaced = fileSystem_.MoveToTrash(target))) {
            leftBehind_.push_back(file);
            return false;
        }
    }
    std::optional<TransferResult> transfer = copied ? std::nullopt : MoveLink(fileSystem_, file, target);
    if (!transfer)
        transfer = TransferFile(fileSystem_, file, target, copied);
    if (!transfer->ok()) {
        if (replaced)
            fileSystem_.RestoreFromTrash(*replaced, target);
        leftBehind_.push_back(file);
        return false;
    }
    copiedTo_.insert(target);
    const bool moved = !copied && !transfer->sourceKept;
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

bool Sidecars::Follow(const FilePath& picture, const FilePath& target, bool copied, bool replaceAgreed, bool paired,
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
    return !cancelled_;
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
