#pragma once

#include "app/settings_file.h"
#include "core/types.h"
#include "thumbs/ui/picture_overlays.h"

#include <QPointer>
#include <array>
#include <memory>
#include <optional>

class QAbstractButton;
class QWidget;

namespace pelldrake {

class Board;
class EnlargeWindow;
class Shell;

// Shows one list's current file large: in the enlarge window, or (browser mode) in the web
// browser. Owned by the board window for its whole life.
class EnlargeViewer {
public:
    using EnlargeButtons = std::array<QAbstractButton*, kListCount>;
    static constexpr int kNoList = -1;

    // Browser mode is read once, here.
    EnlargeViewer(SettingsFile settings, Shell& shell);
    ~EnlargeViewer();

    bool AttachBoard(QWidget* board, const EnlargeButtons& buttons);
    // Destroys the enlarge window, which saves its geometry.
    void DetachBoard();

    void ShowList(int list, const std::optional<FilePath>& path);
    void FollowList(int list, const std::optional<FilePath>& path);
    int ShownList() const { return shownList_; }

    // The enlarge button or menu entry of a list: shows it, or hides the window when that list is
    // already shown. With readAhead, the window reads ahead from the moment it opens, not from the
    // first step.
    void EnlargeCommand(int list, const Board& board, bool readAhead = false);

    // 等倍表示: the shown window between fitted and 100 %; nothing while no window is shown.
    void ToggleActualSize();
    bool ShowsActualSize() const;
    // By a quarter of the window in the direction looked at, while zoomed.
    void Pan(int right, int down);

    // 比較表示: the shown list's current entry and those after it side by side, as many as the
    // settings say; nothing while no window is shown.
    void ToggleCompare();
    bool Compares() const { return compareCells_ > 1; }
    // 基準に固定: the current entry stays in the first cell while the others follow the list; only
    // while comparing.
    void TogglePin();
    bool Pins() const { return pinned_.has_value(); }
    // Reads ahead for the shown list: the neighbours of its current entry, or while comparing the entry
    // a step brings into the last cell.
    void ReadAhead(const FilePathList& neighbours);
    // 撮影情報 and ヒストグラム over the window's pictures, shown or not, kept in the settings.
    void ToggleShootingInfo();
    void ToggleHistogram();
    bool ShowsShootingInfo() const { return overlays_.shootingInfo; }
    bool ShowsHistogram() const { return overlays_.histogram; }

    bool browserMode() const { return browserMode_; }
    EnlargeWindow* window() const;

private:
    void ShowAgain();

    SettingsFile settings_;
    Shell& shell_;
    bool browserMode_;
    int shownList_ = kNoList;
    EnlargeButtons buttons_{};
    PictureOverlays overlays_;
    QPointer<EnlargeWindow> window_;
    // The lists of the board whose window the enlarge window belongs to, known from the first
    // enlarge command on; the files after the current one come from there.
    const Board* lists_ = nullptr;
    bool readAhead_ = false;
    int compareCells_ = 1;
    std::optional<FilePath> pinned_;
};

} // namespace pelldrake
