#include "state/recovered_board.h"

#include "board/board.h"
#include "platform/file_info.h"
#include "state/pairs_again.h"

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
    }
    return false;
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
