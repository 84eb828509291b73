#pragma once

#include "core/types.h"
#include "thumbs/image_loader.h"

#include <QFrame>
#include <QImage>
#include <QPointer>
#include <optional>

namespace pelldrake {

// Shows one image file scaled to fit, centred, with its aspect ratio kept. Files are decoded
// off the user-interface thread by an ImageLoader; a file already decoded at this size appears
// at once.
class CThumbCtl : public QFrame {
    Q_OBJECT

public:
    enum class Showing {
        Nothing,     // the empty path, or no room to draw in
        Pending,     // waiting for the decode
        Preview,     // the preview embedded in the file, until its picture arrives
        Image,       // the file's picture
        Placeholder, // the file is missing, unreadable or not an image
    };

    // A null loader means the program's shared one.
    explicit CThumbCtl(QWidget* parent = nullptr, ImageLoader* loader = nullptr);
    ~CThumbCtl() override;

    // Shows path, or nothing for the empty path. The same path again decodes it anew at the
    // control's present size.
    virtual void ShowFile(const FilePath& path);
    const FilePath& currentFile() const { return path_; }

    // Decodes these files at the control's present size in the background, so that showing one
    // of them later needs no wait.
    virtual void ReadAhead(const FilePathList& paths);

    // While a key is held down, files are shown by their embedded previews and read ahead only for
    // them (ImageLoader::Decoding::HeldBack); the owner shows the file again once the key is up.
    void HoldBackDecodes(bool held) { decoding_ = held ? ImageLoader::Decoding::HeldBack : ImageLoader::Decoding::Now; }

    Showing showing() const { return showing_; }
    const QImage& image() const { return image_; }
    // Why the file's own picture is not shown (the placeholder or its embedded preview stands in), when
    // there is more to say than that the file is no picture.
    const QString& placeholderReason() const { return placeholderReason_; }
    // The contents area in device pixels: the size files are decoded to fit.
    QSize decodeSize() const;

    QSize sizeHint() const override;

signals:
    // The picture, the placeholder or the blank for the current path is in place.
    void imageShown();
    // The file's embedded preview is in place; its picture follows.
    void previewShown();

protected:
    ImageLoader* loader() const { return loader_.data(); }
    ImageLoader::Decoding decoding() const { return decoding_; }
    // Where the picture in place is drawn, fitted and centred; empty when there is none.
    QRectF FittedRect() const;

    void paintEvent(QPaintEvent* event) override;
    // Dragging the picture out offers its file to other programs.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Present(const QImage& image);
    void PresentPreview(const QImage& preview);
    void PaintPlaceholder(QPainter& painter, const QRect& area) const;

    QPointer<ImageLoader> loader_;
    FilePath path_;
    QImage image_;
    QString placeholderReason_;
    Showing showing_ = Showing::Nothing;
    ImageLoader::Decoding decoding_ = ImageLoader::Decoding::Now;
    std::optional<QPoint> pressedAt_;
};

} // namespace pelldrake
