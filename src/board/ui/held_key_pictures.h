#pragma once

#include "core/types.h"

#include <QObject>
#include <bitset>

namespace pelldrake {

class ClassifyBoardDialog;
class CThumbCtl;

// While a key repeats, the board's panes and its enlarge window show the files the user passes by
// their previews and decode none of them. After the release the files they were left on get their
// pictures, the one the user stopped on first and alone.
class HeldKeyPictures : public QObject {
    Q_OBJECT
public:
    // After the board has built its panes and its enlarge window.
    explicit HeldKeyPictures(ClassifyBoardDialog& board);

    bool held() const { return held_; }
    void SetHeld(bool held);
    // The board has shown a list's current file.
    void NoteShown(ListIndex list);

private:
    void OnPictureShown(const CThumbCtl* control);
    void ShowPassedLists();

    ClassifyBoardDialog& board_;
    bool held_ = false;
    std::bitset<kListCount> shownWhileHeld_;
    const CThumbCtl* awaited_ = nullptr; // the picture of the file stopped on, before the rest
};

} // namespace pelldrake
