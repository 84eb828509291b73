#include "board/board.h"
#include "board/board_history.h"
#include "core/progress.h"
#include "platform/busy_cursor.h"
#include "platform/scratch_file.h"
#include "platform/worker_run.h"

namespace pelldrake {

namespace {

// What a step kept on the disk still holds in memory.
constexpr std::size_t kStubBytes = sizeof(SpilledEntries) + 128;

} // namespace

std::size_t BoardHistory::EntriesBytes(const Step& step) {
    const std::size_t files = step.files ? step.files->bytes() : 0;
    return step.bytes > files ? step.bytes - files : 0;
}

BoardHistory::Step* BoardHistory::LargestToSpill() {
    if (!maybeSpillable_)
        return nullptr;
    Step* largest = nullptr;
    std::size_t most = kWorthSpilling - 1;
    for (std::deque<Step>* steps : {&undo_, &redo_}) {
        for (Step& step : *steps) {
            if (!step.spilled && EntriesBytes(step) > most) {
                largest = &step;
                most = EntriesBytes(step);
            }
        }
    }
    maybeSpillable_ = largest != nullptr;
    return largest;
}

void BoardHistory::Spill(Step& step) {
    if (!scratch_)
        scratch_ = std::make_shared<ScratchFile>(scratchFolder_.empty() ? ScratchFolders()
                                                                        : std::vector<FilePath>{scratchFolder_});
    const std::size_t held = EntriesBytes(step);
    StepEntries entries{std::move(step.changes), std::move(step.cleared), std::move(step.undoneRuns)};
    step.changes.clear();
    step.cleared.clear();
    step.undoneRuns.clear();
    step.spilled = std::make_unique<SpilledEntries>(scratch_, std::move(entries), held);
    Account(step, static_cast<std::ptrdiff_t>(kStubBytes) - static_cast<std::ptrdiff_t>(held));
}

bool BoardHistory::BringBack(Step& step) {
    if (!step.spilled)
        return true;
    std::optional<StepEntries> entries = step.spilled->TakeHeld();
    if (!entries) {
        // A read of a million entries off a slow disk takes a while: the window goes on painting,
        // offers "中止" after half a second, and takes no command meanwhile.
        const RunLock::Scope running(board_.runLock());
        const BusyCursor busy;
        const std::unique_ptr<ProgressSink> progress = readBackProgress_ ? readBackProgress_() : nullptr;
        const SpilledEntries& spilled = *step.spilled;
        RunOffThread(progress.get(), [&spilled, &entries](ProgressSink& relay) { entries = spilled.Read(relay); });
        if (progress)
            progress->Finish();
        // Stopped, or the disk failed: nothing has changed, and the step stays as it was.
        if (!entries)
            return false;
    }
    const std::size_t held = step.spilled->heldBytes();
    step.spilled.reset();
    step.changes = std::move(entries->changes);
    step.cleared = std::move(entries->cleared);
    step.undoneRuns = std::move(entries->undoneRuns);
    Account(step, static_cast<std::ptrdiff_t>(held) - static_cast<std::ptrdiff_t>(kStubBytes));
    return true;
}

std::uint64_t BoardHistory::OnDisk(const std::deque<Step>& steps) {
    std::uint64_t bytes = 0;
    for (const Step& step : steps)
        bytes += step.spilled ? step.spilled->heldBytes() : 0;
    return bytes;
}

std::uint64_t BoardHistory::diskBytes() const {
    std::uint64_t bytes = 0;
    for (const std::deque<Step>* steps : {&undo_, &redo_}) {
        for (const Step& step : *steps)
            bytes += step.spilled ? step.spilled->diskBytes() : 0;
    }
    return bytes;
}

void BoardHistory::WaitUntilWritten() {
    for (std::deque<Step>* steps : {&undo_, &redo_}) {
        for (Step& step : *steps) {
            if (step.spilled)
                step.spilled->Settle();
        }
    }
}

} // namespace pelldrake
