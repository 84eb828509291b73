#include "tools/ui/file_list_model.h"

#include "resources/file_list_template.h"
#include "tools/column_text.h"
#include "tools/row_order.h"

#include <numeric>

namespace pelldrake {

FileListModel::FileListModel(const Board& board, QObject* parent) : QAbstractTableModel(parent), board_(board) {}

void FileListModel::Fill(ListIndex list) {
    beginResetModel();
    shownList_ = list;
    positions_.resize(static_cast<std::size_t>(board_.List(list).Count()));
    std::iota(positions_.begin(), positions_.end(), 0);
    endResetModel();
}

void FileListModel::SortByColumn(int column, bool ascending) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> before = positions_;
    SortRows(positions_, board_.List(shownList_), column, ascending);

    // Each row follows its entry, so the view keeps the selection and the current row on it.
    std::vector<int> rowOfPosition(before.size());
    for (std::size_t row = 0; row < positions_.size(); ++row)
        rowOfPosition[static_cast<std::size_t>(positions_[row])] = static_cast<int>(row);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) {
        const int position = before[static_cast<std::size_t>(old.row())];
        to << index(rowOfPosition[static_cast<std::size_t>(position)], old.column());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(positions_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFileListColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const std::optional<std::string_view> text =
        ColumnText(board_.List(shownList_), PositionAt(index.row()), index.column());
    if (!text)
        return {};
    return QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size()));
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kFileListColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(FileListColumns()[static_cast<std::size_t>(section)].header);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

} // namespace pelldrake
