#include "thumbs/ui/thumb_ctl.h"

#include "resources/strings.h"
#include "thumbs/ui/file_drag.h"
#include "thumbs/zoom_geometry.h"

#include <QApplication>
#include <QDrag>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace pelldrake {

CThumbCtl::CThumbCtl(QWidget* parent, ImageLoader* loader)
    : QFrame(parent), loader_(loader != nullptr ? loader : ImageLoader::Shared()) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

CThumbCtl::~CThumbCtl() {
    if (loader_)
        loader_->Cancel(this);
}

QSize CThumbCtl::decodeSize() const {
    return (QSizeF(contentsRect().size()) * devicePixelRatioF()).toSize();
}

QSize CThumbCtl::sizeHint() const {
    return QSize(200, 260);
}

void CThumbCtl::ShowFile(const FilePath& path) {
    const bool sameFile = !path.empty() && path == path_;
    path_ = path;
    const QSize target = decodeSize();
    if (path.empty() || target.isEmpty() || !loader_) {
        if (loader_)
            loader_->Cancel(this);
        image_ = QImage();
        placeholderReason_.clear();
        showing_ = Showing::Nothing;
        update();
        emit imageShown();
        return;
    }
    // The user sorts by what the pane shows, so another file's picture never stands in while
    // this one loads. The same file stays on screen, scaled, until its new size arrives.
    if (!sameFile) {
        image_ = QImage();
        placeholderReason_.clear();
        showing_ = Showing::Pending;
        update();
    }
    std::optional<QImage> answer = loader_->Request(
        this, path, target, [this](const QImage& image) { Present(image); },
        [this](const QImage& preview) { PresentPreview(preview); }, decoding_);
    if (answer)
        Present(*answer);
    else if (std::optional<QImage> preview = loader_->CachedPreview(path, target))
        PresentPreview(*preview);
}

void CThumbCtl::PresentPreview(const QImage& preview) {
    // Only in place of nothing: the same file's sharper picture at another size stays.
    if (showing_ != Showing::Pending || preview.isNull())
        return;
    image_ = preview;
    showing_ = Showing::Preview;
    // While a key repeats, the preview is all the user gets of the file: it is painted now, not
    // behind the rest of the board's changes for this key.
    if (decoding_ == ImageLoader::Decoding::HeldBack && isVisible())
        repaint();
    else
        update();
    emit previewShown();
}

void CThumbCtl::ReadAhead(const FilePathList& paths) {
    if (loader_)
        loader_->ReadAhead(this, paths, decodeSize(), decoding_);
}

void CThumbCtl::Present(const QImage& image) {
    placeholderReason_.clear();
    if (const auto refusal = loader_ ? loader_->RefusalOf(path_) : std::nullopt) {
        placeholderReason_ = QString::asprintf(strings::kImageTooLargeFormat, refusal->stored.width(),
                                               refusal->stored.height(), static_cast<long long>(refusal->bytes >> 20));
    }
    // A file whose own pixels fail to decode keeps the picture its camera put inside.
    if (!image.isNull() || showing_ != Showing::Preview) {
        image_ = image;
        showing_ = image.isNull() ? Showing::Placeholder : Showing::Image;
        update();
    }
    emit imageShown();
}

void CThumbCtl::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    const QRect area = contentsRect();
    if (area.isEmpty())
        return;
    QPainter painter(this);
    painter.setClipRect(area);
    if (showing_ == Showing::Placeholder) {
        PaintPlaceholder(painter, area);
        return;
    }
    if ((showing_ != Showing::Image && showing_ != Showing::Preview) || image_.isNull())
        return;

    // Sizes in device pixels, so that an image decoded for this size is drawn pixel for pixel;
    // after a resize it is stretched smoothly until the owner asks for the file again.
    const QRectF shown = FittedRect();
    if (ImageLoader::FitSize(image_.size(), decodeSize()) != image_.size())
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(shown, image_);
}

QRectF CThumbCtl::FittedRect() const {
    if (image_.isNull() || (showing_ != Showing::Image && showing_ != Showing::Preview))
        return {};
    return FittedPictureRect(image_.size(), decodeSize(), devicePixelRatioF(), contentsRect());
}

void CThumbCtl::mousePressEvent(QMouseEvent* event) {
    pressedAt_.reset();
    if (event->button() == Qt::LeftButton && !path_.empty())
        pressedAt_ = event->position().toPoint();
    QFrame::mousePressEvent(event);
}

void CThumbCtl::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedAt_ || !(event->buttons() & Qt::LeftButton) || path_.empty() ||
        (event->position().toPoint() - *pressedAt_).manhattanLength() < QApplication::startDragDistance()) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    pressedAt_.reset();
    auto* drag = new QDrag(this);
    drag->setMimeData(FileDragData(path_).release());
    if (!image_.isNull())
        drag->setPixmap(QPixmap::fromImage(image_.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    drag->exec(kFileDragActions, Qt::CopyAction);
}

void CThumbCtl::PaintPlaceholder(QPainter& painter, const QRect& area) const {
    const int side = std::clamp(std::min(area.width(), area.height()) / 3, 8, 48);
    QRect box(0, 0, side, side);
    box.moveCenter(area.center());
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const QRect cross = box.adjusted(side / 4, side / 4, -side / 4, -side / 4);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
}

} // namespace pelldrake
