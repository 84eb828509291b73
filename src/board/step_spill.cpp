#include "board/step_spill.h"

#include "core/progress.h"
#include "platform/scratch_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <type_traits>

namespace pelldrake {

static_assert(std::is_trivially_copyable_v<FileIdentity> && sizeof(FileIdentity) == 16);

struct SpilledEntries::State {
    std::shared_ptr<ScratchFile> scratch;
    StepEntries entries;
    std::atomic<bool> stop{false};
    std::atomic<bool> written{false};
    // Set before written.
    ScratchFile::Extent extent{};
};

namespace {

// The disk is reached in pieces of this size: a stop waits for one piece at most.
constexpr std::size_t kPiece = std::size_t{1} << 20;

// The shape of the file, walked alike by the counting of its size, by the writing and, mirrored,
// by the reading: the count of paths, then the changes, the cleared batches and the undone runs,
// each a count and its items. Numbers in the machine's own order: the file lives as long as this
// process.
template <typename Out> void PutPath(Out& out, const FilePath& path) {
    const auto size = static_cast<std::uint32_t>(path.size());
    out.Put(&size, sizeof size);
    out.Put(path.data(), path.size());
}

template <typename Out> void PutNumber(Out& out, std::uint64_t number) {
    out.Put(&number, sizeof number);
}

template <typename Out> void PutBatch(Out& out, const EntryBatch& batch) {
    PutNumber(out, batch.size());
    for (std::size_t i = 0; i < batch.size(); ++i) {
        PutPath(out, batch.paths[i]);
        const FileIdentity identity = i < batch.identities.size() ? batch.identities[i] : FileIdentity{};
        out.Put(&identity, sizeof identity);
    }
}

std::uint64_t PathCount(const StepEntries& entries) {
    std::uint64_t count = entries.changes.size();
    for (const EntryBatch& batch : entries.cleared)
        count += batch.size();
    for (const auto& [at, run] : entries.undoneRuns)
        count += run.size();
    return count;
}

template <typename Out> void PutEntries(Out& out, const StepEntries& entries) {
    PutNumber(out, PathCount(entries));
    PutNumber(out, entries.changes.size());
    for (const ListChange& change : entries.changes) {
        const auto kind = static_cast<std::uint8_t>(change.kind);
        const std::int32_t numbers[] = {change.list, change.index, change.count};
        out.Put(&kind, sizeof kind);
        out.Put(numbers, sizeof numbers);
        out.Put(&change.identity, sizeof change.identity);
        PutPath(out, change.path);
    }
    PutNumber(out, entries.cleared.size());
    for (const EntryBatch& batch : entries.cleared)
        PutBatch(out, batch);
    PutNumber(out, entries.undoneRuns.size());
    for (const auto& [at, run] : entries.undoneRuns) {
        PutNumber(out, at);
        PutBatch(out, run);
    }
}

struct SizeCount {
    std::uint64_t size = 0;
    void Put(const void*, std::size_t bytes) { size += bytes; }
};

// Fills the extent front to back, a piece at a time; stops at the first failure or stop.
class ExtentWriter {
public:
    ExtentWriter(ScratchFile& scratch, ScratchFile::Extent extent, const std::atomic<bool>& stop)
        : scratch_(scratch), extent_(extent), stop_(stop) {
        buffer_.reserve(kPiece + 64);
    }
    void Put(const void* data, std::size_t size) {
        if (failed_)
            return;
        const auto* bytes = static_cast<const char*>(data);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        if (buffer_.size() >= kPiece)
            Flush();
    }
    // True when every byte reached its place, and exactly the extent was filled.
    bool Finish() {
        Flush();
        return !failed_ && at_ == extent_.size;
    }

private:
    void Flush() {
        if (failed_ || buffer_.empty())
            return;
        failed_ = stop_.load(std::memory_order_relaxed) || at_ + buffer_.size() > extent_.size ||
                  !scratch_.Write(extent_.offset + at_, buffer_.data(), buffer_.size());
        at_ += buffer_.size();
        buffer_.clear();
    }

    ScratchFile& scratch_;
    const ScratchFile::Extent extent_;
    const std::atomic<bool>& stop_;
    std::vector<char> buffer_;
    std::uint64_t at_ = 0;
    bool failed_ = false;
};

// Reads the extent front to back, a piece at a time, telling progress before each piece.
class ExtentReader {
public:
    ExtentReader(const ScratchFile& scratch, ScratchFile::Extent extent, ProgressSink& progress)
        : scratch_(scratch), extent_(extent), progress_(progress) {}

    bool Take(void* data, std::size_t size) {
        auto* out = static_cast<char*>(data);
        while (size > 0) {
            if (next_ == buffer_.size() && !Refill())
                return false;
            const std::size_t taken = std::min(size, buffer_.size() - next_);
            std::memcpy(out, buffer_.data() + next_, taken);
            next_ += taken;
            out += taken;
            size -= taken;
        }
        return true;
    }
    bool Number(std::uint64_t& number) { return Take(&number, sizeof number); }
    // A count of items of at least itemSize bytes each, no more than the rest of the extent holds.
    bool Count(std::uint64_t& count, std::size_t itemSize) {
        return Number(count) && count <= (extent_.size - read_ + (buffer_.size() - next_)) / itemSize;
    }
    bool Path(FilePath& path) {
        std::uint32_t size = 0;
        if (!Take(&size, sizeof size) || size > extent_.size)
            return false;
        path.resize(size);
        ++paths_;
        return Take(path.data(), size);
    }
    void Tell(std::uint64_t total) { total_ = total; }

private:
    bool Refill() {
        // The count is known once the first piece is in.
        if (total_ > 0)
            progress_.Report(paths_, total_, {});
        if (progress_.StopRequested() || read_ == extent_.size)
            return false;
        buffer_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, extent_.size - read_)));
        next_ = 0;
        if (!scratch_.Read(extent_.offset + read_, buffer_.data(), buffer_.size()))
            return false;
        read_ += buffer_.size();
        return true;
    }

    const ScratchFile& scratch_;
    const ScratchFile::Extent extent_;
    ProgressSink& progress_;
    std::vector<char> buffer_;
    std::size_t next_ = 0;
    std::uint64_t read_ = 0;
    std::uint64_t paths_ = 0;
    std::uint64_t total_ = 0;
};

constexpr std::size_t kBatchItem = sizeof(std::uint32_t) + sizeof(FileIdentity);

bool TakeBatch(ExtentReader& in, EntryBatch& batch) {
    std::uint64_t count = 0;
    if (!in.Count(count, kBatchItem))
        return false;
    batch.paths.resize(count);
    batch.identities.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!in.Path(batch.paths[i]) || !in.Take(&batch.identities[i], sizeof(FileIdentity)))
            return false;
    }
    return true;
}

std::optional<StepEntries> TakeEntries(ExtentReader& in) {
    StepEntries entries;
    std::uint64_t total = 0;
    std::uint64_t count = 0;
    if (!in.Number(total) || !in.Count(count, 1 + 3 * sizeof(std::int32_t) + kBatchItem))
        return std::nullopt;
    in.Tell(total);
    entries.changes.resize(count);
    for (ListChange& change : entries.changes) {
        std::uint8_t kind = 0;
        std::int32_t numbers[3] = {};
        if (!in.Take(&kind, sizeof kind) || kind > static_cast<std::uint8_t>(ListChange::Kind::LastTouched) ||
            !in.Take(numbers, sizeof numbers) || !in.Take(&change.identity, sizeof change.identity) ||
            !in.Path(change.path))
            return std::nullopt;
        change.kind = static_cast<ListChange::Kind>(kind);
        change.list = numbers[0];
        change.index = numbers[1];
        change.count = numbers[2];
    }
    if (!in.Count(count, sizeof(std::uint64_t)))
        return std::nullopt;
    entries.cleared.resize(count);
    for (EntryBatch& batch : entries.cleared) {
        if (!TakeBatch(in, batch))
            return std::nullopt;
    }
    if (!in.Count(count, 2 * sizeof(std::uint64_t)))
        return std::nullopt;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t at = 0;
        if (!in.Number(at) || !TakeBatch(in, entries.undoneRuns[at]))
            return std::nullopt;
    }
    return entries;
}

// On the writer's own thread. The entries it wrote are freed here too: a million paths take a
// noticeable moment.
void WriteOut(const std::shared_ptr<SpilledEntries::State>& state) {
    SizeCount size;
    PutEntries(size, state->entries);
    const std::optional<ScratchFile::Extent> extent = state->scratch->Reserve(size.size);
    if (!extent)
        return;
    ExtentWriter out(*state->scratch, *extent, state->stop);
    PutEntries(out, state->entries);
    if (!out.Finish()) {
        state->scratch->Release(*extent);
        return;
    }
    state->extent = *extent;
    const StepEntries written = std::move(state->entries);
    state->entries = {};
    state->written.store(true, std::memory_order_release);
}

} // namespace

SpilledEntries::SpilledEntries(std::shared_ptr<ScratchFile> scratch, StepEntries entries, std::size_t heldBytes)
    : state_(std::make_shared<State>()), heldBytes_(heldBytes) {
    state_->scratch = std::move(scratch);
    state_->entries = std::move(entries);
    writer_ = std::thread([state = state_] { WriteOut(state); });
}

SpilledEntries::~SpilledEntries() {
    state_->stop.store(true, std::memory_order_relaxed);
    Settle();
    if (state_->written.load(std::memory_order_acquire)) {
        state_->scratch->Release(state_->extent);
        return;
    }
    // Dropped before the disk had them (a new command right after the undo of a huge step): a
    // million paths are freed where the window does not wait for them.
    constexpr std::size_t kWorthAThread = std::size_t{4} << 20;
    if (heldBytes_ >= kWorthAThread)
        std::thread([doomed = std::move(state_->entries)] {}).detach();
}

void SpilledEntries::Settle() {
    if (writer_.joinable())
        writer_.join();
}

std::optional<StepEntries> SpilledEntries::TakeHeld() {
    state_->stop.store(true, std::memory_order_relaxed);
    Settle();
    if (state_->written.load(std::memory_order_acquire))
        return std::nullopt;
    return std::move(state_->entries);
}

std::optional<StepEntries> SpilledEntries::Read(ProgressSink& progress) const {
    if (!state_->written.load(std::memory_order_acquire))
        return std::nullopt;
    ExtentReader in(*state_->scratch, state_->extent, progress);
    return TakeEntries(in);
}

std::uint64_t SpilledEntries::diskBytes() const {
    return state_->written.load(std::memory_order_acquire) ? state_->extent.size : 0;
}

} // namespace pelldrake
