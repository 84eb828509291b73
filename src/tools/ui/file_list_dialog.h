#pragma once

#include "board/board.h"
#include "tools/file_list_moves.h"
#include "tools/ui/anchor_layout.h"

#include <QDialog>
#include <map>

class QComboBox;
class QTableView;

namespace pelldrake {

class BusyWindow;
class FileListModel;

// One list as a table of file name, extension and folder. The user sorts by a column, selects
// rows and moves their entries to another list or off the board. The board's panes are left
// alone while it is open; listChanged says which ones need refreshing afterwards.
class FileListDialog : public QDialog {
    Q_OBJECT
public:
    explicit FileListDialog(Board& board, QWidget* parent = nullptr);
    ~FileListDialog() override;

    const ChangedLists& listChanged() const { return listChanged_; }

    QComboBox* shownListBox() const { return shownListBox_; }
    QComboBox* moveTargetBox() const { return moveTargetBox_; }
    QTableView* rowsView() const { return rowsView_; }
    FileListModel* rows() const { return model_; }
    QWidget* control(int id) const { return controls_.at(id); }

    // Rows for the chosen list in list order; any sorting and selection are gone.
    void FillRows();
    // A click on a column header. A long list sorts in the background, and until it is done the
    // window refuses clicks and keys, and these two do nothing.
    void SortByColumn(int column);
    // "移動": the selected rows' entries to the chosen target; the window stays open.
    void MoveSelected();

private:
    void ReadChoices();

    Board& board_;
    ListIndex shownList_ = kUnclassified;
    int moveTarget_ = kUnclassified;
    ChangedLists listChanged_{};
    std::map<int, QWidget*> controls_;
    QComboBox* shownListBox_ = nullptr;
    QComboBox* moveTargetBox_ = nullptr;
    QTableView* rowsView_ = nullptr;
    FileListModel* model_ = nullptr;
    BusyWindow* busy_ = nullptr;
    AnchorLayout anchors_;
};

} // namespace pelldrake
