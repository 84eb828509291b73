#pragma once

#include "thumbs/picture_histogram.h"
#include "thumbs/ui/picture_overlays.h"
#include "thumbs/ui/thumb_ctl.h"
#include "thumbs/zoom_geometry.h"

#include <QObject>
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
    // Whether the picture at its own size is in place of the fitted one.
    bool showsZoomedPicture() const;
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
    void RequestFullSize();
    void ReadAheadFullSize();
    void PresentFullSize(const QImage& image);
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
    FilePathList readAhead_;
    FilePath fullSizePath_;
    QImage fullSize_;
    bool fullSizeAnswered_ = false; // for fullSizePath_
    std::optional<double> zoom_;
    bool firstStepPending_ = false; // the wheel left fitted before the picture's own size was known
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
