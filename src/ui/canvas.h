#pragma once
// The preview canvas: a draw panel with a background picture and pictures drawn into it. What
// was drawn is kept as pictures with their places, so it survives repaints and is shown stretched
// when the canvas changes size. Pictures are made from encoded bytes; bytes that do not decode
// make an empty picture, which draws nothing.

#include "ui/controls.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QWidget>

#include <vector>

class Picture {
public:
    static Picture from_bytes(const QByteArray& bytes);
    bool is_empty() const { return image_.isNull(); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

class CanvasWidget : public QWidget {
public:
    explicit CanvasWidget(QWidget* parent);

    void set_background(const QByteArray& bytes);
    void draw(const Picture& picture, const QRect& place);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Drawing {
        QImage image;
        QRectF place;  // as a fraction of the canvas's size when it was drawn
    };

    bool covered_by_drawing() const;

    QByteArray background_bytes_;
    QImage background_;  // decoded from background_bytes_ only when some of it shows
    std::vector<Drawing> drawings_;
};

class DrawPanel : public MouseArea {
public:
    explicit DrawPanel(CanvasWidget* canvas) : MouseArea(canvas), canvas_(canvas) {}

    void set_background(const QByteArray& bytes) { canvas_->set_background(bytes); }
    // Draws the picture stretched or shrunk to the given place (smooth scaling).
    void draw(const Picture& picture, int left, int top, int width, int height)
    {
        canvas_->draw(picture, QRect(left, top, width, height));
    }

private:
    CanvasWidget* canvas_;
};
