#pragma once
// The preview canvas: a draw panel with a background picture and pictures drawn into it. What
// was drawn is kept as pictures with their places, so it survives repaints and is shown stretched
// when the canvas changes size. Pictures are made from encoded bytes; bytes that do not decode
// make an empty picture, which draws nothing.
//
// A JPEG picture stays encoded: painting decodes only the part of it that is on screen, at the
// size it is shown there, and keeps that part for the next paint. So a big photo costs no full
// decode per refresh, and no second copy of its pixels.

#include "ui/controls.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QWidget>

#include <vector>

class Picture {
public:
    static Picture from_bytes(const QByteArray& bytes);
    bool is_empty() const { return size_.isEmpty(); }
    QSize size() const { return size_; }
    bool same_as(const Picture& other) const;

    // The pixels needed to paint `part` of the picture drawn at size `shown`, and their place in
    // the coordinates of the picture so drawn.
    struct Piece {
        QImage pixels;
        QRectF place;
    };
    Piece piece(QSize shown, QRect part) const;

private:
    QByteArray jpeg_;  // decoded part by part when painted
    QImage image_;     // any other format, decoded whole
    QSize size_;
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
        Picture picture;
        QRectF place;  // as a fraction of the canvas's size when it was drawn
        // The decoded part kept from the last paint; its place is a fraction of the picture.
        QImage piece;
        QRectF piece_place;
    };

    void paint(QPainter& painter, Drawing& drawing, const QRect& exposed);
    static bool piece_serves(const Drawing& drawing, QSize shown, const QRect& needed);
    QRect visible_rect() const;
    bool covered_by_drawing() const;

    Drawing background_;
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
