#include "state/work_state_commands.h"

#include "board/board.h"
#include "platform/file_info.h"
#include "platform/prompter.h"
#include "platform/worker_run.h"
#include "resources/strings.h"
#include "resources/work_state_strings.h"
#include "state/pairs_again.h"
#include "state/work_state_reader.h"
#include "state/work_state_writer.h"

#include <QFile>

namespace pelldrake {

namespace {

// A message shows no more names than fit on a screen, and no name longer than fits.
constexpr int kUnrecordableShown = 10;
constexpr int kLongestShownName = 1024;

std::vector<FileTypeEntry> WorkStateTypes() {
    using strings::Utf8;
    return {{Utf8(strings::kWorkStateEntry), Utf8(strings::kWorkStatePatterns)},
            {Utf8(strings::kTextFilesEntry), Utf8(strings::kTextFilesPatterns)},
            {Utf8(strings::kEveryFileEntry), Utf8(strings::kEveryFilePatterns)}};
}

QString DisplayName(std::string_view path) {
    return DisplayPath(FilePath(path), kLongestShownName + 1);
}

void Tell(Prompter& prompter, const char* text) {
    prompter.Ask(strings::Utf8(text), PromptButtons::Ok, PromptIcon::Exclamation);
}

// Names the entries that cannot be written and asks whether to save the others.
bool AgreesToLeaveOut(Prompter& prompter, const FilePathList& refused) {
    QString names;
    const int shown = std::min<int>(static_cast<int>(refused.size()), kUnrecordableShown);
    for (int i = 0; i < shown; ++i) {
        // The line breaks inside a name would break the list apart; they show as visible marks.
        QString name = DisplayName(refused[static_cast<std::size_t>(i)]);
        name.replace(QLatin1Char('\n'), QStringLiteral("\u21B5")).replace(QLatin1Char('\r'), QStringLiteral("\u21B5"));
        names += name + QStringLiteral("\r\n");
    }
    const int hidden = static_cast<int>(refused.size()) - shown;
    const QString more = hidden > 0 ? strings::Utf8(strings::kWorkStateUnrecordableMore).arg(hidden) : QString();
    return prompter.Ask(strings::Utf8(strings::kWorkStateUnrecordable).arg(names, more), PromptButtons::YesNo,
                        PromptIcon::Exclamation) == PromptAnswer::Yes;
}

MissingFileAnswer AskMissing(Prompter& prompter, std::string_view line) {
    const QString text = strings::Utf8(strings::kWorkStateMissingFile).replace(QStringLiteral("%s"), DisplayName(line));
    switch (prompter.AskTitled(strings::Utf8(strings::kWorkStateLoadTitle), text, PromptButtons::YesNoCancel,
                               PromptIcon::Exclamation)) {
    case PromptAnswer::Yes:
        return MissingFileAnswer::Skip;
    case PromptAnswer::No:
        return MissingFileAnswer::SkipAndStopAsking;
    default:
        return MissingFileAnswer::Stop;
    }
}

} // namespace

void SaveWorkState(Board& board, Prompter& prompter) {
    const std::optional<FilePath> path =
        prompter.SaveFileName(WorkStateTypes(), strings::Utf8(strings::kWorkStateSuffix));
    if (!path)
        return;
    const FilePathList refused = UnrecordableEntries(board);
    if (!refused.empty() && !AgreesToLeaveOut(prompter, refused))
        return;
    SaveResult result = SaveResult::WriteFailed;
    {
        // A million entries take a moment to write: the window goes on painting meanwhile, and
        // the run lock keeps the lists still while the other thread reads them.
        const RunLock::Scope running(board.runLock());
        const WorkStateContent content = WorkStateContent::Of(board);
        RunOffThread(nullptr, [&](ProgressSink&) { result = WriteWorkStateFile(content, *path); });
    }
    switch (result) {
    case SaveResult::Saved:
        break;
    case SaveResult::CannotOpen:
        Tell(prompter, strings::kWorkStateCannotCreate);
        break;
    case SaveResult::WriteFailed:
        Tell(prompter, strings::kWorkStateWriteError);
        break;
    }
}

void LoadWorkState(Board& board, Prompter& prompter, const LoadProgress& keepGoing, bool findPairs) {
    if (board.TotalCount() > 0 &&
        prompter.AskTitled(strings::Utf8(strings::kWorkStateLoadTitle),
                           strings::Utf8(strings::kWorkStateDiscardQuestion), PromptButtons::YesNo,
                           PromptIcon::Exclamation) != PromptAnswer::Yes)
        return;
    const std::optional<FilePath> path =
        prompter.OpenFileName(WorkStateTypes(), strings::Utf8(strings::kWorkStateSuffix));
    if (path)
        LoadWorkStateFile(board, prompter, *path, keepGoing, findPairs);
}

void LoadWorkStateFile(Board& board, Prompter& prompter, const FilePath& path, const LoadProgress& keepGoing,
                       bool findPairs) {
    // The progress box lives on this thread; the reading hears its stop through the relay.
    struct ShownProgress : ProgressSink {
        explicit ShownProgress(const LoadProgress& keepGoing) : keepGoing(keepGoing) {}
        void Report(std::size_t done, std::size_t total, std::string_view) override {
            stop = keepGoing && !keepGoing(done, total);
        }
        bool StopRequested() override { return stop; }
        const LoadProgress& keepGoing;
        bool stop = false;
    } shown(keepGoing);
    LoadResult result = LoadResult::CannotOpen;
    {
        // A million paths take seconds to examine: that is done on a thread of its own, the window
        // answering meanwhile, each missing file asked about here in the file's order, and the
        // lists replaced in one step at the end.
        const RunLock::Scope running(board.runLock());
        WorkStateRead read;
        RunOffThread(&shown, [&](ProgressSink& relay) {
            LoadCallbacks callbacks;
            callbacks.askMissing = [&prompter](std::string_view line) {
                MissingFileAnswer answer = MissingFileAnswer::Stop;
                AskOnUserInterfaceThread([&] { answer = AskMissing(prompter, line); });
                return answer;
            };
            callbacks.keepGoing = [&relay](std::size_t done, std::size_t total) {
                relay.Report(done, total, {});
                return !relay.StopRequested();
            };
            read = ReadWorkState(path, callbacks);
            if (findPairs)
                FindPairsAgain(read.lists);
            // The lists are emptied before they take what was read.
            for (ListIndex list = 0; list < kListCount; ++list)
                board.history().PrepareRun(read.lists[static_cast<std::size_t>(list)], list, 0);
        });
        result = read.result;
        PutOnBoard(board, std::move(read));
    }
    switch (result) {
    case LoadResult::Loaded:
        break;
    case LoadResult::CannotOpen:
        Tell(prompter, strings::kWorkStateCannotOpen);
        break;
    case LoadResult::NotWorkState:
        Tell(prompter, strings::kWorkStateInvalid);
        break;
    case LoadResult::ReadError:
        Tell(prompter, strings::kWorkStateReadError);
        break;
    }
}

} // namespace pelldrake
