#pragma once

#include "app/settings_file.h"
#include "core/types.h"
#include "thumbs/ui/picture_overlays.h"

#include <QTimer>
#include <QWidget>

namespace pelldrake {

class CThumbCtl;
class CompareCells;
class EnlargeView;
struct ComparePlan;

// The resizable tool window that shows one list's current file large. Only the board shows and
// hides it.
class EnlargeWindow : public QWidget {
    Q_OBJECT
public:
    // Created hidden at the place the settings remember (outer rectangle, screen pixels).
    EnlargeWindow(QWidget* board, SettingsFile settings);

    void SetFile(const FilePath& path);
    // What is drawn over every picture of the window.
    void SetOverlays(PictureOverlays overlays);
    PictureOverlays overlays() const { return overlays_; }
    const FilePath& currentPath() const { return currentPath_; }
    // The first cell: the only one outside compare.
    CThumbCtl* thumbnail() const;
    EnlargeView* view() const { return thumbnail_; }

    // Compare: cells side by side (1 for the single picture), each showing its file of the plan.
    void SetCellCount(int count);
    void SetFiles(const ComparePlan& plan);
    CompareCells* cells() const { return cells_; }
    void HoldBackDecodes(bool held);
    int settleCountdown() const { return settleCountdown_; }

    // Writes the outer rectangle back to the settings; the viewer calls it when the board goes.
    void SaveGeometry() const;

signals:
    // The window manager's close box: the board decides what hiding means.
    void closeRequested();

public:
    static constexpr int kMinimumOuterSize = 100;
    static constexpr int kSettleTicks = 10;
    static constexpr int kSettleTickMs = 100;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnSettleTick();
    QMargins FrameMargins() const;
    void ApplyMinimumSize();
    void FollowFrame();

    SettingsFile settings_;
    CompareCells* cells_;
    EnlargeView* thumbnail_;
    FilePath currentPath_;
    QTimer settleTimer_; // a child, so a test can find it and tick it by hand
    int settleCountdown_ = 0;
    QRect outer_; // frame included, as stored
    PictureOverlays overlays_;
    bool placedWithFrame_ = false;
};

} // namespace pelldrake
