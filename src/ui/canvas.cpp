#include "ui/canvas.h"

#include "image/jpeg_region.h"

#include <QPaintEvent>
#include <QPainter>

Picture Picture::from_bytes(const QByteArray& bytes)
{
    Picture picture;
    picture.size_ = jpeg_size(bytes);
    if (!picture.size_.isEmpty()) {
        picture.jpeg_ = bytes;  // shares the bytes, copies nothing
        return picture;
    }
    if (!bytes.isEmpty())
        picture.image_ = QImage::fromData(bytes);
    picture.size_ = picture.image_.size();
    return picture;
}

bool Picture::same_as(const Picture& other) const
{
    return size_ == other.size_ && jpeg_ == other.jpeg_ && image_ == other.image_;
}

Picture::Piece Picture::piece(QSize shown, QRect part) const
{
    if (!jpeg_.isEmpty()) {
        JpegRegion region = decode_jpeg_region(jpeg_, shown, part);
        return {std::move(region.pixels), region.place};
    }
    return {image_, QRectF(QPointF(0, 0), QSizeF(shown))};
}

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent) {}

void CanvasWidget::set_background(const QByteArray& bytes)
{
    background_ = Drawing{Picture::from_bytes(bytes), QRectF(0, 0, 1, 1), {}, {}};
    update();
}

void CanvasWidget::draw(const Picture& picture, const QRect& place)
{
    if (picture.is_empty() || width() <= 0 || height() <= 0)
        return;
    const QRectF fraction(double(place.x()) / width(), double(place.y()) / height(),
                          double(place.width()) / width(), double(place.height()) / height());
    // Drawing the very picture that is already there changes nothing on screen.
    if (!drawings_.empty() && drawings_.back().picture.same_as(picture) && drawings_.back().place == fraction)
        return;
    // An opaque picture over the whole canvas hides everything drawn before it.
    if (fraction.contains(QRectF(0, 0, 1, 1)))
        drawings_.clear();
    drawings_.push_back({picture, fraction, {}, {}});
    update(place);
}

QRect CanvasWidget::visible_rect() const
{
    const QWidget* parent = parentWidget();
    return parent ? rect().intersected(QRect(mapFromParent(QPoint(0, 0)), parent->size())) : rect();
}

bool CanvasWidget::covered_by_drawing() const
{
    return !drawings_.empty() && drawings_.front().place.contains(QRectF(0, 0, 1, 1));
}

// Whether the kept piece covers `needed` of the picture shown at `shown`, sharp enough: at least
// one decoded pixel per pixel on screen (or all the picture has), and no more than two, beyond
// which smooth scaling would lose detail.
bool CanvasWidget::piece_serves(const Drawing& drawing, QSize shown, const QRect& needed)
{
    if (drawing.piece.isNull())
        return false;
    const QRectF need(double(needed.x()) / shown.width(), double(needed.y()) / shown.height(),
                      double(needed.width()) / shown.width(), double(needed.height()) / shown.height());
    const double pixels_per_pixel = drawing.piece.width() / (drawing.piece_place.width() * shown.width());
    const bool full_resolution = drawing.piece.width() >= drawing.piece_place.width() * drawing.picture.size().width();
    return drawing.piece_place.contains(need) && pixels_per_pixel <= 2.0 &&
           (pixels_per_pixel >= 1.0 || full_resolution);
}

void CanvasWidget::paint(QPainter& painter, Drawing& drawing, const QRect& exposed)
{
    const QRectF& f = drawing.place;
    const QRect target = QRectF(f.x() * width(), f.y() * height(), f.width() * width(), f.height() * height())
                             .toAlignedRect();
    const QRect needed = exposed.intersected(target).translated(-target.topLeft());
    if (needed.isEmpty() || drawing.picture.is_empty())
        return;
    const QSize shown = target.size();
    if (!piece_serves(drawing, shown, needed)) {
        // Decode all that shows of this drawing and a margin around it at once, so that later
        // exposures (a panel dragged across, a small zoom step) are painted from what is kept.
        const QRect visible = visible_rect().intersected(target).translated(-target.topLeft());
        const QRect margin = visible.adjusted(-visible.width() / 8, -visible.height() / 8, visible.width() / 8,
                                              visible.height() / 8);
        const QRect part = margin.united(needed).intersected(QRect(QPoint(0, 0), shown));
        Picture::Piece piece = drawing.picture.piece(shown, part);
        drawing.piece = std::move(piece.pixels);
        drawing.piece_place = QRectF(piece.place.x() / shown.width(), piece.place.y() / shown.height(),
                                     piece.place.width() / shown.width(), piece.place.height() / shown.height());
    }
    if (drawing.piece.isNull())
        return;
    const QRectF& p = drawing.piece_place;
    painter.drawImage(QRectF(target.x() + p.x() * shown.width(), target.y() + p.y() * shown.height(),
                             p.width() * shown.width(), p.height() * shown.height()),
                      drawing.piece);
}

void CanvasWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!covered_by_drawing())
        paint(painter, background_, event->rect());
    for (Drawing& drawing : drawings_)
        paint(painter, drawing, event->rect());
}
