#include "tools/ui/file_list_model.h"

#include "resources/file_list_template.h"
#include "tools/column_text.h"
#include "tools/row_order.h"

#include <QtConcurrent/QtConcurrentRun>
#include <numeric>

namespace pelldrake {

FileListModel::FileListModel(const Board& board, QObject* parent) : QAbstractTableModel(parent), board_(board) {}

// The worker reads the board and the rows, so neither may go before it is done. Nobody is told: the window that
// listens is on its way out too.
FileListModel::~FileListModel() {
    if (sorting_)
        sorting_->waitForFinished();
}

void FileListModel::Fill(ListIndex list) {
    DropSort();
    beginResetModel();
    shownList_ = list;
    positions_.resize(static_cast<std::size_t>(board_.List(list).Count()));
    std::iota(positions_.begin(), positions_.end(), 0);
    endResetModel();
}

void FileListModel::SortByColumn(int column, bool ascending) {
    if (isSorting())
        return;
    if (rowCount() <= kSortInPlaceRows) {
        SortIntoSpare(column, ascending);
        ApplySorted();
        return;
    }
    sorting_ = std::make_unique<QFutureWatcher<void>>();
    connect(sorting_.get(), &QFutureWatcherBase::finished, this, [this] {
        QFutureWatcher<void>* done = sorting_.release();
        done->deleteLater();              // not from within its own signal
        done->future().waitForFinished(); // throws what the worker threw rather than apply half an order
        ApplySorted();
        emit sortingChanged(false);
    });
    sorting_->setFuture(QtConcurrent::run([this, column, ascending] { SortIntoSpare(column, ascending); }));
    emit sortingChanged(true);
}

void FileListModel::SortIntoSpare(int column, bool ascending) {
    sorted_ = positions_;
    SortRows(sorted_, board_.List(shownList_), column, ascending);
    rowOfPosition_.resize(sorted_.size());
    for (std::size_t row = 0; row < sorted_.size(); ++row)
        rowOfPosition_[static_cast<std::size_t>(sorted_[row])] = static_cast<int>(row);
}

void FileListModel::ApplySorted() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Each row follows its entry, so the view keeps the selection and the current row on it.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) {
        const int position = positions_[static_cast<std::size_t>(old.row())];
        to << index(rowOfPosition_[static_cast<std::size_t>(position)], old.column());
    }
    changePersistentIndexList(from, to);
    // A swap, so the old order stays as the next sort's room: nothing is freed here.
    positions_.swap(sorted_);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::DropSort() {
    if (!sorting_)
        return;
    sorting_->waitForFinished();
    sorting_.reset();
    emit sortingChanged(false);
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
