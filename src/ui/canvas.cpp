#include "ui/canvas.h"

#include <QPainter>

Picture Picture::from_bytes(const QByteArray& bytes)
{
    Picture picture;
    if (!bytes.isEmpty())
        picture.image_ = QImage::fromData(bytes);
    return picture;
}

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void CanvasWidget::set_background(const QByteArray& bytes)
{
    background_bytes_ = bytes;
    background_ = QImage();
    update();
}

void CanvasWidget::draw(const Picture& picture, const QRect& place)
{
    if (picture.is_empty() || width() <= 0 || height() <= 0)
        return;
    const QRectF fraction(double(place.x()) / width(), double(place.y()) / height(),
                          double(place.width()) / width(), double(place.height()) / height());
    // An opaque picture over the whole canvas hides everything drawn before it.
    if (!picture.image().hasAlphaChannel() && QRect(QPoint(0, 0), size()).intersected(place) == rect())
        drawings_.clear();
    drawings_.push_back({picture.image(), fraction});
    update(place);
}

bool CanvasWidget::covered_by_drawing() const
{
    return !drawings_.empty() && !drawings_.front().image.hasAlphaChannel() &&
           drawings_.front().place.contains(QRectF(0, 0, 1, 1));
}

void CanvasWidget::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!covered_by_drawing() && !background_bytes_.isEmpty()) {
        if (background_.isNull())
            background_ = QImage::fromData(background_bytes_);
        painter.drawImage(rect(), background_);
    }
    const QSizeF scale = size();
    for (const Drawing& drawing : drawings_) {
        const QRectF& f = drawing.place;
        painter.drawImage(QRectF(f.x() * scale.width(), f.y() * scale.height(),
                                 f.width() * scale.width(), f.height() * scale.height()),
                          drawing.image);
    }
}
