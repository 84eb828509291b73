#include "state/recovered_board.h"

#include "board/board.h"
#include "platform/file_info.h"
#include "state/pairs_again.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <unordered_set>

namespace pelldrake {

namespace {

// The files a board holds, and the spellings of entries whose file was not found.
class HeldEntries {
public:
    void Add(const Board& board) {
        for (ListIndex list = 0; list < kListCount; ++list) {
            const ClassList& entries = board.List(list);
            for (int k = 0; k < entries.Count(); ++k)
                Insert(entries.At(k), entries.IdentityAt(k));
        }
    }
    // False when the board holds the entry's file or its spelling (a file not found has no other).
    bool Insert(const FilePath& path, const FileIdentity& identity) {
        const bool newSpelling = paths_.insert(path).second;
        return (!identity.Known() || files_.insert(identity).second) && newSpelling;
    }

private:
    std::unordered_set<FileIdentity, FileIdentityHash> files_;
    std::unordered_set<FilePath> paths_;
};

template <typename Entry> Entry EntryOf(std::string_view path, PathPlace place) {
    if constexpr (std::same_as<Entry, FilePath>)
        return FilePath(path);
    else
        return place;
}

} // namespace

template <typename Entry> BasicRecoveredBoard<Entry> BasicRecoveredBoard<Entry>::Counting() {
    BasicRecoveredBoard board;
    board.fillFrom_.fill(kNever);
    return board;
}

template <typename Entry>
BasicRecoveredBoard<Entry> BasicRecoveredBoard<Entry>::FilledAfter(const BasicRecoveredBoard& counted) {
    BasicRecoveredBoard board;
    board.fillFrom_ = counted.lastClear_;
    return board;
}

template <typename Entry> std::array<std::vector<Entry>, kListCount> BasicRecoveredBoard<Entry>::Lists() const {
    std::array<std::vector<Entry>, kListCount> lists;
    for (ListIndex list = 0; list < kListCount; ++list)
        lists[static_cast<std::size_t>(list)] = List(list);
    return lists;
}

template <typename Entry> int BasicRecoveredBoard<Entry>::TotalCount() const {
    return std::accumulate(counts_.begin(), counts_.end(), 0);
}

template <typename Entry>
void BasicRecoveredBoard<Entry>::AddFromSnapshot(ListIndex list, std::string_view path, std::uint64_t offset) {
    const auto i = static_cast<std::size_t>(list);
    ++counts_[i];
    if (Fills(i, 0))
        lists_[i].push_back(EntryOf<Entry>(path, {offset, static_cast<std::uint32_t>(path.size()), 0}));
}

template <typename Entry> bool BasicRecoveredBoard<Entry>::Apply(const ListChange& change, PathPlace place) {
    if (change.list < 0 || change.list >= kListCount)
        return false;
    switch (change.kind) {
    case ListChange::Kind::CommandEnd:
        committed_ = {counts_, lastClear_, marks, place_};
        return true;
    case ListChange::Kind::FileLeaves:
    case ListChange::Kind::FileReturns:
        // Only the board the user gets back settles a file run; a snapshot is never written
        // while one is open.
        if constexpr (std::same_as<Entry, FilePath>) {
            const FileFate fate = change.kind == ListChange::Kind::FileLeaves ? FileFate::Leaves : FileFate::Returns;
            fileRun_.push_back({fate, change.list, change.index, change.path});
        }
        return true;
    case ListChange::Kind::FileDone:
        if (!fileRun_.empty())
            fileRun_.back().done = true;
        return true;
    case ListChange::Kind::FileRunEnd:
        fileRun_.clear();
        scratch_.clear();
        return true;
    case ListChange::Kind::Scratch:
        if constexpr (std::same_as<Entry, FilePath>)
            scratch_.push_back(change.path);
        return true;
    default:
        break;
    }
    const auto i = static_cast<std::size_t>(change.list);
    const std::int64_t at = ++place_;
    int& count = counts_[i];
    switch (change.kind) {
    case ListChange::Kind::Insert:
        if (change.index < 0 || change.index > count)
            return false;
        ++count;
        if (Fills(i, at))
            lists_[i].insert(static_cast<std::size_t>(change.index), EntryOf<Entry>(change.path, place));
        return true;
    case ListChange::Kind::Remove:
        if (change.index < 0 || change.index >= count)
            return false;
        --count;
        if (Fills(i, at))
            lists_[i].erase(static_cast<std::size_t>(change.index));
        return true;
    case ListChange::Kind::Clear:
        count = 0;
        lists_[i] = {};
        lastClear_[i] = at;
        return true;
    case ListChange::Kind::Position:
        if (change.index < 0)
            return false;
        marks.positions[i] = change.index;
        return true;
    case ListChange::Kind::LastTouched:
        marks.lastTouched = change.list;
        return true;
    default:
        return false;
    }
}

template <typename Entry> void BasicRecoveredBoard<Entry>::DropUncommitted() {
    counts_ = committed_.counts;
    lastClear_ = committed_.lastClear;
    marks = committed_.marks;
    place_ = committed_.place;
}

template <typename Entry>
void BasicRecoveredBoard<Entry>::SettleFileRun(
    const std::function<bool(const FilePath&)>& present) requires std::same_as<Entry, FilePath> {
    if constexpr (std::same_as<Entry, FilePath>) {
        std::array<std::unordered_set<std::string_view>, kListCount> leaving;
        std::vector<const FileFact*> returning;
        for (const FileFact& fact : fileRun_) {
            if (fact.fate == FileFate::Leaves && (fact.done || !present(fact.path)))
                leaving[static_cast<std::size_t>(fact.list)].insert(fact.path);
            else if (fact.fate == FileFate::Returns && present(fact.path))
                returning.push_back(&fact);
        }
        for (std::size_t i = 0; i < lists_.size(); ++i) {
            if (leaving[i].empty())
                continue;
            std::vector<FilePath> kept = lists_[i].TakeAll();
            std::erase_if(kept, [&](const FilePath& path) { return leaving[i].contains(path); });
            counts_[i] = static_cast<int>(kept.size());
            lists_[i] = {};
            for (FilePath& path : kept)
                lists_[i].push_back(std::move(path));
        }
        // Each comes back where it stood, in the order the list had them.
        std::stable_sort(returning.begin(), returning.end(),
                         [](const FileFact* a, const FileFact* b) { return a->index < b->index; });
        for (const FileFact* fact : returning) {
            const auto i = static_cast<std::size_t>(fact->list);
            const std::vector<FilePath>& entries = lists_[i].Contiguous();
            if (std::find(entries.begin(), entries.end(), fact->path) != entries.end())
                continue;
            lists_[i].insert(std::min(static_cast<std::size_t>(std::max(fact->index, 0)), entries.size()), fact->path);
            ++counts_[i];
        }
        fileRun_.clear();
    }
}

template <typename Entry>
void BasicRecoveredBoard<Entry>::MoveInto(Board& board, bool findPairs) requires std::same_as<Entry, FilePath> {
    // clang 14 instantiates a member its constraint rules out when the class is instantiated
    // explicitly: the body is kept from the other kind of entry by hand.
    if constexpr (std::same_as<Entry, FilePath>) {
        const bool joining = board.TotalCount() > 0;
        HeldEntries held;
        if (joining)
            held.Add(board);
        std::array<EntryBatch, kListCount> lists;
        for (std::size_t i = 0; i < lists.size(); ++i) {
            // Later intakes compare files, not spellings, with what the board holds.
            EntryBatch& entries = lists[i];
            for (FilePath& path : lists_[i].TakeAll()) {
                FileIdentity identity;
                if (const auto info = StatPath(path); info && info->IsRegular())
                    identity = info->identity();
                if (!joining || held.Insert(path, identity))
                    entries.push_back(std::move(path), identity);
            }
            counts_[i] = 0;
        }
        if (findPairs)
            FindPairsAgain(lists, joining ? &board : nullptr);
        for (ListIndex list = 0; list < kListCount; ++list) {
            const auto i = static_cast<std::size_t>(list);
            board.AppendAndShow(list, std::move(lists[i]),
                                joining ? std::nullopt : std::optional<int>(marks.positions[i]));
        }
        if (!joining)
            board.setLastTouchedList(marks.lastTouched);
    }
}

template class BasicRecoveredBoard<FilePath>;
template class BasicRecoveredBoard<PathPlace>;

} // namespace pelldrake
