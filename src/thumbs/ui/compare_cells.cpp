#include "thumbs/ui/compare_cells.h"

#include "thumbs/ui/enlarge_view.h"

#include <QPainter>
#include <algorithm>
#include <utility>

namespace pelldrake {

namespace {
// Room around each cell for its frame; the single picture keeps the whole window.
constexpr int kFrameWidth = 4;
} // namespace

CompareCells::CompareCells(QWidget* parent) : QWidget(parent) {
    AddCell();
}

QColor CompareCells::CurrentFrameColour() {
    return QColor(0x30, 0x90, 0xff);
}

QColor CompareCells::PinnedFrameColour() {
    return QColor(0xff, 0x9a, 0x20);
}

EnlargeView* CompareCells::AddCell() {
    auto* view = new EnlargeView(this);
    view->HoldBackDecodes(heldBack_);
    view->SetOverlays(overlays_);
    connect(view, &EnlargeView::zoomChosen, this,
            [this, view](std::optional<double> zoom, const ZoomAnchor& anchor, QPointF lastPoint) {
                ShareZoom(view, zoom, anchor, lastPoint);
            });
    cells_.push_back(view);
    return view;
}

void CompareCells::SetCellCount(int count) {
    count = std::max(count, 1);
    while (cellCount() > count) {
        delete cells_.back();
        cells_.pop_back();
    }
    const EnlargeView* first = cells_.front();
    while (cellCount() < count) {
        EnlargeView* view = AddCell();
        view->FollowZoom(first->zoom(), first->anchor(), first->lastPoint());
        view->show();
    }
    if (count == 1)
        plan_ = ComparePlan{};
    PlaceCells();
}

void CompareCells::SetOverlays(PictureOverlays overlays) {
    overlays_ = overlays;
    for (EnlargeView* view : cells_)
        view->SetOverlays(overlays);
}

void CompareCells::ShareZoom(const EnlargeView* from, std::optional<double> zoom, const ZoomAnchor& anchor,
                             QPointF lastPoint) {
    for (EnlargeView* view : cells_) {
        if (view != from)
            view->FollowZoom(zoom, anchor, lastPoint);
    }
}

void CompareCells::ShowFiles(const ComparePlan& plan) {
    plan_ = plan;
    // Stepping moves every file one cell on: the picture at its own size moves with it instead of
    // being decoded again, since the cache holds only a couple of them.
    std::vector<std::pair<FilePath, QImage>> held;
    for (const EnlargeView* view : cells_) {
        if (QImage image = view->FullSizeOf(view->currentFile()); !image.isNull())
            held.emplace_back(view->currentFile(), std::move(image));
    }
    for (int index = 0; index < cellCount(); ++index) {
        const FilePath path = index < static_cast<int>(plan.cells.size()) ? plan.cells[std::size_t(index)] : FilePath();
        const auto found =
            std::find_if(held.begin(), held.end(), [&path](const auto& item) { return item.first == path; });
        if (found != held.end())
            cell(index)->AdoptFullSize(path, found->second);
        cell(index)->ShowFile(path);
    }
    update();
}

void CompareCells::ReadAheadNext(const FilePath& next) {
    for (int index = 0; index + 1 < cellCount(); ++index)
        cell(index)->ReadAhead({});
    cells_.back()->ReadAhead(next.empty() ? FilePathList{} : FilePathList{next});
}

void CompareCells::HoldBackDecodes(bool held) {
    heldBack_ = held;
    for (EnlargeView* view : cells_)
        view->HoldBackDecodes(held);
}

void CompareCells::PlaceCells() {
    if (cellCount() == 1) {
        cells_.front()->setGeometry(rect());
        return;
    }
    for (int index = 0; index < cellCount(); ++index) {
        cell(index)->setGeometry(
            CompareCellRect(rect(), cellCount(), index).adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth));
    }
    update();
}

void CompareCells::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceCells();
}

void CompareCells::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (cellCount() == 1)
        return;
    QPainter painter(this);
    const auto frame = [&](int index, const QColor& colour) {
        if (index < 0 || index >= cellCount())
            return;
        painter.setPen(QPen(colour, kFrameWidth - 1));
        painter.setBrush(Qt::NoBrush);
        const double middle = kFrameWidth / 2.0;
        painter.drawRect(QRectF(cell(index)->geometry()).adjusted(-middle, -middle, middle, middle));
    };
    if (plan_.pinned)
        frame(0, PinnedFrameColour());
    frame(plan_.currentCell, CurrentFrameColour());
}

} // namespace pelldrake
