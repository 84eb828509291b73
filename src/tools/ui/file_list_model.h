#pragma once

#include "board/board.h"

#include <QAbstractTableModel>
#include <QFutureWatcher>
#include <memory>
#include <vector>

namespace pelldrake {

// The rows of the file list window. A row holds only the position of its entry in the shown
// list at the time the rows were filled; every text is derived from the entry's path when the
// view asks, so a list of any length fills at once.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Up to this many rows sort at once. Longer lists sort on a worker thread while the rows keep
    // their old order, which the new one then replaces in one step.
    static constexpr int kSortInPlaceRows = 50'000;

    explicit FileListModel(const Board& board, QObject* parent = nullptr);
    ~FileListModel() override;

    // One row per entry of list, in list order. A running sort is waited for and dropped.
    void Fill(ListIndex list);
    // Only the order of the rows changes; selected rows stay selected. Refused while a sort runs.
    // The board must not change until the sort is done.
    void SortByColumn(int column, bool ascending);
    bool isSorting() const { return sorting_ != nullptr; }

    ListIndex shownList() const { return shownList_; }
    int PositionAt(int row) const { return positions_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void sortingChanged(bool sorting);

private:
    // The new order into sorted_, and where each entry's row went into rowOfPosition_. For a long
    // list this runs on the worker, which alone touches the two until it is done; it only reads
    // the rows and the board.
    void SortIntoSpare(int column, bool ascending);
    // Puts the new order in, in one step.
    void ApplySorted();
    void DropSort();

    const Board& board_;
    ListIndex shownList_ = kUnclassified;
    std::vector<int> positions_;
    std::vector<int> sorted_;
    std::vector<int> rowOfPosition_;
    std::unique_ptr<QFutureWatcher<void>> sorting_;
};

} // namespace pelldrake
