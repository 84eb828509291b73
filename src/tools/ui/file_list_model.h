#pragma once

#include "board/board.h"

#include <QAbstractTableModel>
#include <vector>

namespace pelldrake {

// The rows of the file list window. A row holds only the position of its entry in the shown
// list at the time the rows were filled; every text is derived from the entry's path when the
// view asks, so a list of any length fills at once.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListModel(const Board& board, QObject* parent = nullptr);

    // One row per entry of list, in list order.
    void Fill(ListIndex list);
    // Only the order of the rows changes; selected rows stay selected.
    void SortByColumn(int column, bool ascending);

    ListIndex shownList() const { return shownList_; }
    int PositionAt(int row) const { return positions_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const Board& board_;
    ListIndex shownList_ = kUnclassified;
    std::vector<int> positions_;
};

} // namespace pelldrake
