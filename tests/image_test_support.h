#pragma once
// Shared by the image library's tests: synthetic pictures, file helpers, comparisons, and a
// folder of fixtures loaded into image objects.

#include "image/image_library.h"
#include "picture_fixtures.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

Q_DECLARE_METATYPE(ImageFormat)

// A smooth gradient; with alpha, opacity ramps from 0 at the left to 255 at the right.
inline QImage gradient(QSize size, bool with_alpha)
{
    QImage picture(size, with_alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const int w = std::max(1, size.width() - 1);
    const int h = std::max(1, size.height() - 1);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int alpha = with_alpha ? x * 255 / w : 255;
            picture.setPixel(x, y, qRgba(x * 255 / w, y * 255 / h, 255 - (x + y) * 255 / (w + h), alpha));
        }
    }
    return picture;
}

inline QImage read_image(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

// Mean absolute difference per channel, premultiplied so the colour of transparent pixels is moot.
inline double mean_error(const QImage& actual, const QImage& expected)
{
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double total = 0;
    for (int y = 0; y < e.height(); ++y) {
        for (int x = 0; x < e.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = e.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q))
                + std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return total / (4.0 * e.width() * e.height());
}

inline QImage composited_over_white(const QImage& picture)
{
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, picture);
    return flat;
}

// What a GIF can keep: pixels under half opacity become transparent, the rest opaque.
inline QImage alpha_thresholded(const QImage& picture)
{
    QImage two_level = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < two_level.height(); ++y) {
        for (int x = 0; x < two_level.width(); ++x) {
            const QRgb p = two_level.pixel(x, y);
            two_level.setPixel(x, y, qAlpha(p) < 128 ? 0 : (p | 0xff000000));
        }
    }
    return two_level;
}

inline QImage expected_after_save(const QImage& source, ImageFormat format)
{
    if (format == ImageFormat::Jpeg)
        return composited_over_white(source);
    if (format == ImageFormat::Gif)
        return alpha_thresholded(source);
    return source;
}

// The payload of the first segment with the given marker, walking the segments from SOI.
inline QByteArray jpeg_segment(const QByteArray& jpeg, uchar marker)
{
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xff) {
        const int length = (uchar(jpeg[at + 2]) << 8) | uchar(jpeg[at + 3]);
        if (uchar(jpeg[at + 1]) == marker)
            return jpeg.mid(at + 4, length - 2);
        at += 2 + length;
    }
    return {};
}


// The base of the image library's test classes: a temporary folder for their files.
class FixtureTest : public QObject {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Writes picture as a PNG fixture and loads it into image.
    void load_fixture(ImageObject& image, const QImage& picture, const QString& name = "fixture.png") const
    {
        QVERIFY2(picture.save(path(name), "png"), qPrintable(name));
        ImageLibrary::load_file(image, path(name).toStdString(), ImageFormat::Png);
        QCOMPARE(ImageLibrary::width(image), picture.width());
    }

private:
    QTemporaryDir dir_;
};
