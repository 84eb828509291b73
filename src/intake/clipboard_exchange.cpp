#include "intake/clipboard_exchange.h"

#include "board/board.h"
#include "board/moves.h"
#include "board/picture_files.h"
#include "intake/add_files.h"
#include "intake/clipboard_formats.h"
#include "platform/clipboard.h"
#include "platform/file_info.h"
#include "platform/file_system.h"
#include "platform/prompter.h"
#include "resources/strings.h"

#include <set>

namespace pelldrake {

namespace {

void TellClipboardUnavailable(Prompter& prompter) {
    prompter.Ask(strings::Utf8(strings::kClipboardUnavailable), PromptButtons::Ok, PromptIcon::Stop);
}

constexpr int kLongestListedName = 260;
constexpr qsizetype kLargestUsableClipboard = qsizetype{16} << 20;

bool IsUsableName(const FilePath& name) {
    const std::optional<FileInfo> info = StatPath(name);
    return info && !info->IsFolder();
}

FilePathList UsableNamesOfText(std::string_view text, Prompter& prompter) {
    FilePathList usable;
    QString unusable;
    int listed = 0;
    for (const FilePath& name : NamesOfText(text)) {
        if (IsUsableName(name)) {
            usable.push_back(AbsolutePath(name));
        } else {
            if (listed < kMaxListedUnusableNames)
                unusable += DisplayPath(name, kLongestListedName) + "\r\n";
            else if (listed == kMaxListedUnusableNames)
                unusable += QString::fromUtf8("…\r\n"); // a longer box would grow past the screen
            ++listed;
        }
    }
    if (!unusable.isEmpty())
        prompter.Ask(strings::Utf8(strings::kClipboardUnusableNames) + unusable, PromptButtons::Ok, PromptIcon::Stop);
    return usable;
}

// The list's files, each followed by what goes with it in every disposal: the raw files of its pair
// with their sidecars, and its own sidecars. One shared by several files comes once.
FilePathList FilesWithTheirs(const Board& board, ListIndex list) {
    const ClassList& entries = board.List(list);
    const std::optional<RawEntries> rawEntries = RawEntries::OfBoardIfPaired(board, list);
    PosixFileSystem disk;
    PictureFiles beside(disk, rawEntries ? &*rawEntries : nullptr);
    std::set<FilePath> taken;
    FilePathList files;
    files.reserve(entries.Entries().size());
    const auto add = [&](const FilePath& picture) {
        for (FilePath& sidecar : beside.SidecarsOf(picture, false)) {
            if (taken.insert(sidecar).second)
                files.push_back(std::move(sidecar));
        }
    };
    for (int i = 0; i < entries.Count(); ++i) {
        const FilePath& picture = entries.At(i);
        files.push_back(picture);
        if (rawEntries && entries.IdentityAt(i).Paired()) {
            for (FilePath& raw : beside.Companions(picture)) {
                files.push_back(raw);
                add(raw);
            }
        }
        add(picture);
    }
    return files;
}

} // namespace

void CopyListToClipboard(Board& board, ListIndex list, Clipboard& clipboard, Prompter& prompter) {
    const ClassList& entries = board.List(list);
    if (entries.Count() == 0)
        return;
    if (!clipboard.Place(FileListMimeData(FilesWithTheirs(board, list)))) {
        TellClipboardUnavailable(prompter);
        return;
    }
    if (prompter.Ask(strings::Utf8(strings::kClipboardClearQuestion), PromptButtons::YesNo, PromptIcon::Question) ==
        PromptAnswer::Yes)
        moves::ClearList(board, list);
}

void PasteFilesFromClipboard(Board& board, const SettingsFile& settings, bool applyExtensionFilter,
                             Clipboard& clipboard, Prompter& prompter) {
    const QMimeData* contents = clipboard.Contents();
    if (!contents) {
        TellClipboardUnavailable(prompter);
        return;
    }
    // More than any list of names a person copies: taking it in could hold the window for minutes.
    if (LargestPastedForm(*contents) > kLargestUsableClipboard) {
        TellClipboardUnavailable(prompter);
        return;
    }
    FilePathList candidates = LocalFilesOf(*contents);
    if (candidates.empty()) {
        // Taken out before any message box: the clipboard may change while one is open.
        const QByteArray text = contents->data(QStringLiteral("text/plain"));
        candidates =
            UsableNamesOfText(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), prompter);
    }
    if (!candidates.empty())
        AddFiles(board, settings, applyExtensionFilter, std::move(candidates), kUnclassified, false);
}

} // namespace pelldrake
