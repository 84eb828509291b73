#pragma once

#include "core/types.h"
#include "thumbs/compare_plan.h"
#include "thumbs/ui/picture_overlays.h"
#include "thumbs/zoom_geometry.h"

#include <QWidget>
#include <optional>
#include <vector>

namespace pelldrake {

class EnlargeView;

// The enlarge window's inside: one picture, or two to four side by side that zoom and move together.
// The first view lives as long as this widget; the others come and go with the number of cells.
class CompareCells : public QWidget {
    Q_OBJECT

public:
    explicit CompareCells(QWidget* parent = nullptr);

    EnlargeView* cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }
    int cellCount() const { return static_cast<int>(cells_.size()); }
    // 1 for the single picture; the views added look where the first one does.
    void SetCellCount(int count);
    // Each view its file; one moving on to a neighbour's file takes the neighbour's picture along.
    void ShowFiles(const ComparePlan& plan);
    // The file after the last cell, read ahead by the last view alone.
    void ReadAheadNext(const FilePath& next);
    void HoldBackDecodes(bool held);
    // The shooting data and the histogram over every cell's picture.
    void SetOverlays(PictureOverlays overlays);
    // Frame colours: the cell of the list's current entry, and the pinned file's.
    static QColor CurrentFrameColour();
    static QColor PinnedFrameColour();
    const ComparePlan& plan() const { return plan_; }
    // Also while hidden, when Qt holds the resize back until the widget is shown.
    void PlaceCells();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    EnlargeView* AddCell();
    void ShareZoom(const EnlargeView* from, std::optional<double> zoom, const ZoomAnchor& anchor, QPointF lastPoint);

    std::vector<EnlargeView*> cells_;
    ComparePlan plan_;
    bool heldBack_ = false;
    PictureOverlays overlays_;
};

} // namespace pelldrake
