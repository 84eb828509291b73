#pragma once

#include "board/entry_batch.h"
#include "board/list_change.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

namespace pelldrake {

class ProgressSink;
class ScratchFile;

// What a step did to the lists' entries, apart from its marks and its files: the part of a step
// that grows with the entries it touched.
struct StepEntries {
    std::vector<ListChange> changes;
    // The entries each Clear took out; a Clear's index names its slot here.
    std::vector<EntryBatch> cleared;
    // The entries of a run of inserts, taken out by undo for redo, by the run's place in changes.
    std::unordered_map<std::size_t, EntryBatch> undoneRuns;
};

// A step's entries kept on the disk instead of in memory. They are written on a thread of their
// own, so that the command that made the step does not wait for the disk; until they are there, or
// when the disk has no room for them, they stay held here and come back at once.
class SpilledEntries {
public:
    // heldBytes: the memory the entries take, given back to the history when they return.
    SpilledEntries(std::shared_ptr<ScratchFile> scratch, StepEntries entries, std::size_t heldBytes);
    ~SpilledEntries();
    SpilledEntries(const SpilledEntries&) = delete;
    SpilledEntries& operator=(const SpilledEntries&) = delete;

    std::size_t heldBytes() const { return heldBytes_; }

    // The entries when they are still in memory, the writing stopped for them; none when they are
    // on the disk alone.
    std::optional<StepEntries> TakeHeld();
    // The entries read back off the disk, on any thread, their count told to progress; none when
    // progress asks to stop or the disk fails. Only after TakeHeld has found none.
    std::optional<StepEntries> Read(ProgressSink& progress) const;

    // Waits until the writing is over, however it ends.
    void Settle();
    // Bytes on the disk: 0 until the writing is over, and when it failed.
    std::uint64_t diskBytes() const;

    struct State;

private:
    std::shared_ptr<State> state_;
    std::thread writer_;
    std::size_t heldBytes_;
};

} // namespace pelldrake
