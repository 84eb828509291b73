#include "board/ui/board_menu_bar.h"

#include "board/ui/classify_board_dialog.h"
#include "intake/clipboard_formats.h"
#include "platform/ui/qt_clipboard.h"
#include "resources/menu_table.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

namespace pelldrake {

BoardMenuBar::BoardMenuBar(QMenuBar* bar, ClassifyBoardDialog& board) : QObject(bar), board_(board) {
    for (const MenuEntry& top : BoardMenu()) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(top.text));
        AddEntries(menu, top.children);
    }
    for (int id : {menu_ids::kExpand, menu_ids::kApplyExtensionFilter, menu_ids::kRawJpegPairs, menu_ids::kActualSize,
                   menu_ids::kCompare, menu_ids::kPinFirst, menu_ids::kShootingInfo, menu_ids::kHistogram})
        action(id)->setCheckable(true);
    for (int i = 0; i < kListCount; ++i)
        action(menu_ids::kEnlargeFirst + i)->setCheckable(true);
    UpdateStates();
}

void BoardMenuBar::AddEntries(QMenu* menu, const std::vector<MenuEntry>& entries) {
    connect(menu, &QMenu::aboutToShow, this, &BoardMenuBar::UpdateStates);
    for (const MenuEntry& entry : entries) {
        if (entry.IsSeparator()) {
            menu->addSeparator();
        } else if (entry.IsSubmenu()) {
            AddEntries(menu->addMenu(QString::fromUtf8(entry.text)), entry.children);
        } else {
            QAction* added = menu->addAction(QString::fromUtf8(entry.text));
            const int id = entry.id;
            connect(added, &QAction::triggered, this, [this, id] { board_.RunCommand(id); });
            actions_[id] = added;
        }
    }
}

QAction* BoardMenuBar::action(int id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void BoardMenuBar::UpdateStates() {
    using namespace menu_ids;
    // An entry whose command the board cannot run yet stays grey whatever the lists hold.
    for (auto& [id, entry] : actions_)
        entry->setEnabled(board_.CommandAvailable(id));
    auto greyWhen = [this](int id, bool grey) {
        if (grey)
            action(id)->setEnabled(false);
    };

    const Board& board = board_.board();
    action(kExpand)->setChecked(board_.expanded());
    for (int i = 0; i < kListCount; ++i) {
        const bool empty = board.List(i).Count() == 0;
        for (int first : {kMoveToFolderFirst, kMoveToListFirst, kToClipboardFirst, kDeleteFirst})
            greyWhen(first + i, empty);
        action(kEnlargeFirst + i)->setChecked(board_.viewer().ShownList() == i);
    }
    const int total = board.TotalCount();
    greyWhen(kDeleteAll, total == 0);
    greyWhen(kCloseEnlarge, board_.viewer().ShownList() == EnlargeViewer::kNoList);
    greyWhen(kActualSize, board_.viewer().ShownList() == EnlargeViewer::kNoList);
    action(kActualSize)->setChecked(board_.viewer().ShowsActualSize());
    greyWhen(kCompare, board_.viewer().ShownList() == EnlargeViewer::kNoList);
    action(kCompare)->setChecked(board_.viewer().Compares());
    greyWhen(kPinFirst, board_.viewer().ShownList() == EnlargeViewer::kNoList);
    action(kPinFirst)->setChecked(board_.viewer().Pins());
    action(kShootingInfo)->setChecked(board_.viewer().ShowsShootingInfo());
    action(kHistogram)->setChecked(board_.viewer().ShowsHistogram());
    action(kApplyExtensionFilter)->setChecked(board_.applyExtensionFilter());
    action(kRawJpegPairs)->setChecked(board_.settings().IntakePairs());
    const QMimeData* clipboard = SystemClipboard().Contents();
    greyWhen(kFromClipboard, !clipboard || !OffersFilesOrText(*clipboard));
    greyWhen(kSaveWorkState, total == 0);
    greyWhen(kUndo, !board.history().CanUndo());
    greyWhen(kRedo, !board.history().CanRedo());
}

} // namespace pelldrake
