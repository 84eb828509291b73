#pragma once

#include "thumbs/picture_histogram.h"
#include "thumbs/picture_region.h"
#include "thumbs/ui/picture_overlays.h"
#include "thumbs/ui/thumb_ctl.h"
#include "thumbs/zoom_geometry.h"

#include <QObject>
#include <QTimer>
#include <optional>

namespace pelldrake {

// The enlarge window's picture: fitted as in the panes, or zoomed to check focus. The zoom and the
// point of the picture it looks at stay from one file to the next, so that a burst is checked at the
// same spot frame after frame. The zoomed picture is decoded at its own size off the user-interface
// thread; the fitted picture stays until it comes.
class EnlargeView : public CThumbCtl {
    Q_OBJECT

public:
    explicit EnlargeView(QWidget* parent = nullptr, ImageLoader* loader = nullptr);
    ~EnlargeView() override;

    void ShowFile(const FilePath& path) override;
    // The next file is read ahead at the present zoom too.
    void ReadAhead(const FilePathList& paths) override;

    // Nothing while fitted; else device pixels per image pixel (1: one image pixel on one device pixel).
    std::optional<double> zoom() const { return zoom_; }
    // Fitted to 100 % centred on the point last chosen, or back to fitted.
    void ToggleActualSize();
    // By a quarter of the view in the direction looked at (-1, 0 or 1 each way); only while zoomed.
    void PanQuarter(int right, int down);

    // The point of the picture under position as it is drawn now, as fractions of the picture.
    QPointF PictureFractionAt(const QPoint& position) const;
    // Whether the picture at its own size, or the part of it around the point looked at, is in place
    // of the fitted one.
    bool showsZoomedPicture() const;
    // Whether the whole picture at its own size has come, not only a part of it.
    bool showsWholeZoomedPicture() const;

    // Side by side, the views look at the same share of their pictures at the same zoom: one takes
    // what another chose.
    const ZoomAnchor& anchor() const { return anchor_; }
    QPointF lastPoint() const { return lastPoint_; }
    void FollowZoom(std::optional<double> zoom, const ZoomAnchor& anchor, QPointF lastPoint);
    // The picture at its own size of path, when this view holds it; null otherwise.
    QImage FullSizeOf(const FilePath& path) const;
    // A neighbour's picture at its own size of the file this view is about to show.
    void AdoptFullSize(const FilePath& path, const QImage& image);
    // Where the picture is drawn now, fitted or zoomed; empty when there is none.
    QRectF ShownRect() const;

    // The shooting data and the histogram over the picture; with the histogram, Shift held while
    // the pointer is over the view tints the clipped pixels.
    void SetOverlays(PictureOverlays overlays);
    PictureOverlays overlays() const { return overlays_; }
    // The line of shooting data of the file shown: its name alone until its metadata has been read.
    QString shootingLine() const;
    // Of the picture decoded for the view (the fitted one, also while zoomed: the same levels).
    const PictureHistogram& histogram() const;
    bool tintsClipping() const { return tinting_; }

signals:
    // The picture for the zoom has arrived and is drawn (or could not be decoded).
    void zoomedPictureReady();
    // The user chose this zoom and point here (the wheel with Shift held chooses for this view alone).
    void zoomChosen(std::optional<double> zoom, const ZoomAnchor& anchor, QPointF lastPoint);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void SetZoom(std::optional<double> zoom, const ZoomAnchor& anchor);
    // SetZoom, told to the views beside this one.
    void ChooseZoom(std::optional<double> zoom, const ZoomAnchor& anchor);
    void RequestFullSize();
    void ReadAheadFullSize();
    void PresentFullSize(const QImage& image);
    // The part around the anchor's point, unless the part in place covers the view already.
    void RequestRegion();
    // The whole picture at its own size, once the user has stayed on the file or looks around it.
    void RequestWhole();
    void PresentRegion(const QImage& image);
    // A part twice the view each way around point, so that it covers the view wherever the point is held.
    PictureRegion RegionAround(QPointF point) const;
    bool RegionCoversView() const;
    bool CoversView(const RegionPlacement& placed) const;
    QSize PictureSize() const;
    void DrawPart(QPainter& painter, const QImage& part, const QRect& placed, const QRectF& shown,
                  const QRectF& visible) const;
    // The wheel's first step from fitted, once the picture's own size is known.
    void TakeFirstStep();
    void PanBy(const QPointF& offset);
    double FitScale() const;
    void UpdateCursor();
    void PaintZoomed(QPaintEvent* event);
    void PaintOverlays();
    // The tint is on while the histogram is, Shift is held and the pointer is over the view.
    void FollowShift(bool held);

    // The loader keeps one shown request per requester: the picture at its own size is asked for
    // by this one, beside the fitted picture the control asks for itself.
    QObject fullSizeRequester_;
    // A JPEG decodes the part in view in a fraction of the time of the whole picture: it stands in
    // until the whole comes, so that stepping through a burst at 100 % keeps up with the keys.
    QObject regionRequester_;
    QImage region_; // of fullSizePath_
    std::optional<RegionPlacement> regionPlace_;
    // How long a user stays on a file, its part in view shown, before its whole picture is decoded:
    // longer than a person's pace through a burst.
    static constexpr int kStayedMs = 400;
    QTimer wholeTimer_;
    FilePathList readAhead_;
    FilePath fullSizePath_;
    QImage fullSize_;
    bool fullSizeAnswered_ = false; // for fullSizePath_
    std::optional<double> zoom_;
    bool firstStepPending_ = false; // the wheel left fitted before the picture's own size was known
    bool firstStepShared_ = true;   // and without Shift
    ZoomAnchor anchor_;
    QPointF lastPoint_{0.5, 0.5};
    std::optional<QPoint> pressedAt_;
    std::optional<QPointF> dragFrom_;
    PictureOverlays overlays_;
    bool shiftHeld_ = false;
    bool tinting_ = false;
    // Each for the picture whose cache key it holds, so that stepping back costs nothing twice.
    mutable qint64 histogramOf_ = 0;
    mutable PictureHistogram histogram_;
    ClippingTintCache tint_;
};

} // namespace pelldrake
