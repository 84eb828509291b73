#include "board/ui/held_key_pictures.h"

#include "board/ui/classify_board_dialog.h"
#include "thumbs/ui/enlarge_window.h"
#include "thumbs/ui/thumb_ctl.h"

namespace pelldrake {

HeldKeyPictures::HeldKeyPictures(ClassifyBoardDialog& board) : QObject(&board), board_(board) {
    const CThumbCtl* pane = board_.thumbnail(kUnclassified);
    connect(pane, &CThumbCtl::imageShown, this, [this, pane] { OnPictureShown(pane); });
    if (const EnlargeWindow* window = board_.viewer().window()) {
        const CThumbCtl* large = window->thumbnail();
        connect(large, &CThumbCtl::imageShown, this, [this, large] { OnPictureShown(large); });
    }
}

void HeldKeyPictures::NoteShown(ListIndex list) {
    if (held_)
        shownWhileHeld_.set(static_cast<std::size_t>(list));
}

void HeldKeyPictures::SetHeld(bool held) {
    if (held == held_)
        return;
    held_ = held;
    awaited_ = nullptr;
    for (ListIndex list = 0; list < kListCount; ++list)
        board_.thumbnail(list)->HoldBackDecodes(held);
    EnlargeViewer& viewer = board_.viewer();
    if (EnlargeWindow* window = viewer.window())
        window->HoldBackDecodes(held);
    if (held)
        return;
    // The enlarge window may have been opened or resized meanwhile.
    if (viewer.ShownList() != EnlargeViewer::kNoList)
        shownWhileHeld_.set(static_cast<std::size_t>(viewer.ShownList()));
    if (!shownWhileHeld_.test(kUnclassified)) {
        ShowPassedLists();
        return;
    }
    // A decode beside it would halve the processor time it gets on a small machine: the rest
    // waits. The enlarge window's picture, when it shows the file, serves the pane as well.
    const std::optional<FilePath> stoppedOn = board_.CurrentFile(kUnclassified);
    if (viewer.ShownList() == kUnclassified && viewer.window()) {
        awaited_ = viewer.window()->thumbnail();
        viewer.FollowList(kUnclassified, stoppedOn);
    } else {
        awaited_ = board_.thumbnail(kUnclassified);
        board_.thumbnail(kUnclassified)->ShowFile(stoppedOn.value_or(FilePath()));
    }
}

void HeldKeyPictures::OnPictureShown(const CThumbCtl* control) {
    // The picture may come before the request returns; awaited_ is set before it is asked for.
    if (awaited_ == nullptr || control != awaited_)
        return;
    awaited_ = nullptr;
    ShowPassedLists();
}

void HeldKeyPictures::ShowPassedLists() {
    if (held_)
        return;
    const std::bitset<kListCount> lists = shownWhileHeld_;
    shownWhileHeld_.reset();
    // The unclassified list first: its pane takes the enlarge window's picture scaled, and its
    // read-ahead goes before the other lists' files.
    for (ListIndex list = 0; list < kListCount; ++list) {
        if (lists.test(static_cast<std::size_t>(list)))
            board_.ShowCurrent(list);
    }
}

} // namespace pelldrake
