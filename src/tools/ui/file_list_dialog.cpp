#include "tools/ui/file_list_dialog.h"

#include "resources/control_ids.h"
#include "resources/dialog_units.h"
#include "resources/file_list_template.h"
#include "resources/ui/template_builder.h"
#include "tools/column_text.h"
#include "tools/sort_state.h"
#include "tools/ui/busy_window.h"
#include "tools/ui/file_list_model.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QTableView>

namespace pelldrake {

FileListDialog::FileListDialog(Board& board, QWidget* parent) : QDialog(parent), board_(board) {
    const DialogTemplate& layout = FileListTemplate();
    setWindowTitle(QString::fromUtf8(layout.title));
    // A sizing border and a caption, no system menu: "終了" and Escape are the ways out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(DialogFont());
    const DialogUnits units(font());
    resize(units.ToPixels(layout.size));
    controls_ = BuildControls(layout, this, units);
    busy_ = new BusyWindow(this);

    using namespace file_list_ids;
    shownListBox_ = qobject_cast<QComboBox*>(control(kShownList));
    moveTargetBox_ = qobject_cast<QComboBox*>(control(kMoveTarget));
    rowsView_ = qobject_cast<QTableView*>(control(kRows));
    shownListBox_->addItems(ShownListItems());
    moveTargetBox_->addItems(MoveTargetItems());

    model_ = new FileListModel(board_, this);
    rowsView_->setModel(model_);
    for (int column = 0; column < kFileListColumnCount; ++column)
        rowsView_->setColumnWidth(column, FileListColumns()[static_cast<std::size_t>(column)].width);
    rowsView_->horizontalHeader()->setSectionsClickable(true);
    connect(rowsView_->horizontalHeader(), &QHeaderView::sectionClicked, this, &FileListDialog::SortByColumn);
    connect(model_, &FileListModel::sortingChanged, busy_, &BusyWindow::Set);
    connect(shownListBox_, &QComboBox::currentIndexChanged, this, &FileListDialog::FillRows);
    connect(qobject_cast<QAbstractButton*>(control(ids::kOk)), &QAbstractButton::clicked, this,
            &FileListDialog::MoveSelected);
    connect(qobject_cast<QAbstractButton*>(control(ids::kCancel)), &QAbstractButton::clicked, this,
            &FileListDialog::reject);

    FillRows();
    anchors_.Attach(this);
    anchors_.Add(shownListBox_, AnchorLayout::kGrowWidth);
    anchors_.Add(rowsView_, AnchorLayout::kGrowWidth | AnchorLayout::kGrowHeight);
    for (int id : {kMoveGroup, kMoveTarget, ids::kOk, ids::kCancel})
        anchors_.Add(control(id), AnchorLayout::kFollowBottom);
}

FileListDialog::~FileListDialog() = default;

void FileListDialog::ReadChoices() {
    shownList_ = shownListBox_->currentIndex();
    moveTarget_ = moveTargetBox_->currentIndex();
}

void FileListDialog::FillRows() {
    ReadChoices();
    model_->Fill(shownList_);
}

void FileListDialog::SortByColumn(int column) {
    if (model_->isSorting())
        return;
    SortState& state = FileListSortState();
    state.Click(column);
    model_->SortByColumn(column, state.ascending);
}

void FileListDialog::MoveSelected() {
    // The sort still reads the board.
    if (model_->isSorting())
        return;
    ReadChoices();
    const QModelIndexList selected = rowsView_->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    std::vector<int> positions;
    positions.reserve(static_cast<std::size_t>(selected.size()));
    for (const QModelIndex& row : selected)
        positions.push_back(model_->PositionAt(row.row()));
    MoveEntries(board_, shownList_, moveTarget_, std::move(positions), listChanged_);
    // Each move is a step of its own to take back, not the whole visit to the window.
    board_.history().Commit();
    FillRows();
}

} // namespace pelldrake
