#pragma once

#include "board/board_history.h"
#include "board/class_list.h"
#include "board/run_lock.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace pelldrake {

class BoardOwner;

// The eleven lists, their positions and the pane last used. The window that shows them is
// reached only through BoardOwner, so every rule here runs without a window.
class Board {
public:
    Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    ClassList& List(ListIndex i) { return lists_[static_cast<std::size_t>(i)]; }
    const ClassList& List(ListIndex i) const { return lists_[static_cast<std::size_t>(i)]; }

    ListIndex lastTouchedList() const { return lastTouchedList_; }
    void setLastTouchedList(ListIndex list);

    int TotalCount() const;
    // Puts every list in one piece, so that another thread may read them while the run lock holds
    // them still: reading a list whose gap is open closes it, which is a change.
    void CloseGaps() const;
    // Every list's position and the list Backspace returns from.
    BoardMarks Marks() const;

    // Gives every list its dependent controls and updates them: all start disabled.
    void AttachOwner(BoardOwner* owner);
    BoardOwner* owner() const { return owner_; }

    // Scroll range to the count, position clamped (or the given one), then the current
    // file and the title shown again.
    void ResyncPane(ListIndex list, std::optional<int> newPosition = std::nullopt);

    // Appends the paths, updates the list's controls and shows its pane at the position given (or
    // the present one, clamped): the one way to fill a list from outside.
    void AppendAndShow(ListIndex list, EntryBatch entries, std::optional<int> position = std::nullopt);
    // Paths whose files were not examined: the duplicate test then knows them by spelling alone.
    void AppendAndShow(ListIndex list, FilePathList paths, std::optional<int> position = std::nullopt) {
        AppendAndShow(list, EntryBatch::Unexamined(std::move(paths)), position);
    }

    // The entries worth decoding before the user reaches them: forward first, where sorting goes
    // next, then the one behind.
    FilePathList ReadAheadOf(ListIndex list) const;
    static constexpr int kReadAheadForward = 3;

    // Closing loses the sorted lists, so it asks while one of lists 1 … 10 holds an entry; the
    // unclassified list does not count.
    bool HoldsSortedEntries() const;

    // "未分類(1/3)" or "分類4(0/0)".
    QString PaneTitle(ListIndex list) const;

    static std::vector<int> DependentControlsOf(ListIndex list);

    // Held while a long run works on the lists: no command may start on them meanwhile.
    RunLock& runLock() { return runLock_; }
    const RunLock& runLock() const { return runLock_; }

    // Every change of the lists, for undo, redo and the recovery journal.
    BoardHistory& history() { return history_; }
    const BoardHistory& history() const { return history_; }

private:
    BoardHistory history_{*this};
    RunLock runLock_;
    std::array<ClassList, kListCount> lists_;
    ListIndex lastTouchedList_ = kUnclassified;
    BoardOwner* owner_ = nullptr;
};

} // namespace pelldrake
