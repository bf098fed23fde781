// What makes the preview fast must not change what it shows: kept encodings are byte for byte
// fresh ones, the part of a JPEG decoded for the screen matches a full decode, and the canvas
// shows the right pixels after a zoom and a pan.

#include "image/file_names.h"
#include "image/jpeg_region.h"
#include "image/loading.h"
#include "picture_fixtures.h"
#include "window_fixture.h"

#include <QPainter>
#include <QSlider>
#include <QtTest>

namespace {

struct Settings {
    int quality;
    int ratio;
};

QByteArray fresh_encoding(const std::string& path, Settings s)
{
    ImageObject image;
    ImageLibrary::load_file(image, path, ImageFormat::Unknown);
    ImageLibrary::set_quality(image, static_cast<std::uint8_t>(s.quality));
    ImageLibrary::set_compression_ratio(image, static_cast<std::uint8_t>(s.ratio));
    QByteArray bytes;
    ImageLibrary::encode(image, bytes, ImageFormat::Jpeg);
    return bytes;
}

// Mean and largest difference over all channels of two pictures of the same size.
std::pair<double, int> difference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    int largest = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                sum += std::abs(d);
                largest = std::max(largest, std::abs(d));
            }
        }
    }
    return {sum / (3.0 * x.width() * x.height()), largest};
}

// Squares of 24 pixels in turn with gradients: a picture drawn a few pixels off shows clearly.
QImage blocks(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, ((x / 24 + y / 24) % 2) ? qRgb(230, 40 + y / 2, 60) : qRgb(20, 90 + x / 3, 210));
    return image;
}

}  // namespace

class PreviewSpeedTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void kept_encodings_equal_fresh_ones_data();
    void kept_encodings_equal_fresh_ones();
    void decoded_part_matches_a_full_decode_data();
    void decoded_part_matches_a_full_decode();
    void bytes_that_are_no_jpeg_decode_to_nothing();
    void canvas_shows_the_picture_after_zoom_and_pan();

private:
    QTemporaryDir dir_;
    std::string photo_;
    std::string blocks_;
};

void PreviewSpeedTest::initTestCase()
{
    photo_ = write_picture(QDir(dir_.path()), "photo.png", photo_like(301, 203), "PNG").toStdString();
    blocks_ = write_picture(QDir(dir_.path()), "blocks.png", blocks(301, 203), "PNG").toStdString();
}

void PreviewSpeedTest::kept_encodings_equal_fresh_ones_data()
{
    QTest::addColumn<QList<int>>("steps");  // quality, ratio, quality, ratio, ...
    QTest::newRow("back to an earlier quality") << QList<int>{50, 1, 60, 1, 50, 1, 60, 1};
    QTest::newRow("ratios in turn") << QList<int>{80, 2, 80, 1, 80, 4, 80, 2, 80, 8};
    QTest::newRow("more settings than are kept") << QList<int>{10, 1, 20, 2, 30, 4, 40, 8, 10, 1, 20, 2};
    QTest::newRow("out of range values") << QList<int>{0, 3, 1, 1, 200, 0, 100, 1};
}

void PreviewSpeedTest::kept_encodings_equal_fresh_ones()
{
    QFETCH(QList<int>, steps);
    ImageObject image;
    ImageLibrary::load_file(image, photo_, ImageFormat::Png);
    for (qsizetype i = 0; i + 1 < steps.size(); i += 2) {
        const Settings s{steps[i], steps[i + 1]};
        ImageLibrary::set_quality(image, static_cast<std::uint8_t>(s.quality));
        ImageLibrary::set_compression_ratio(image, static_cast<std::uint8_t>(s.ratio));
        QByteArray kept;
        ImageLibrary::encode(image, kept, ImageFormat::Jpeg);
        QVERIFY2(kept == fresh_encoding(photo_, s), qPrintable(QStringLiteral("step %1").arg(i / 2)));
        // A JPEG written now is the encoding the size label measures.
        const QString saved = QDir(dir_.path()).filePath("saved.jpg");
        QVERIFY(ImageLibrary::save_file(image, saved.toStdString(), ImageFormat::Jpeg));
        QCOMPARE(read_bytes(saved), kept);
    }
}

void PreviewSpeedTest::decoded_part_matches_a_full_decode_data()
{
    QTest::addColumn<int>("quality");  // 90 and up keeps full chroma, below halves it
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<QRect>("part");
    for (const int quality : {95, 40}) {
        const QByteArray q = QByteArray::number(quality);
        QTest::newRow("whole at full size q" + q) << quality << QSize(301, 203) << QRect(0, 0, 301, 203);
        QTest::newRow("corner at full size q" + q) << quality << QSize(301, 203) << QRect(200, 120, 101, 83);
        QTest::newRow("middle at full size q" + q) << quality << QSize(301, 203) << QRect(77, 51, 90, 60);
        QTest::newRow("middle at half size q" + q) << quality << QSize(150, 101) << QRect(40, 30, 60, 40);
        QTest::newRow("whole at 30 percent q" + q) << quality << QSize(90, 60) << QRect(0, 0, 90, 60);
    }
}

void PreviewSpeedTest::decoded_part_matches_a_full_decode()
{
    QFETCH(int, quality);
    QFETCH(QSize, shown);
    QFETCH(QRect, part);
    const QByteArray jpeg = fresh_encoding(blocks_, {quality, 1});
    QCOMPARE(jpeg_size(jpeg), QSize(301, 203));
    const JpegRegion region = decode_jpeg_region(jpeg, shown, part);
    QVERIFY(!region.pixels.isNull());
    QVERIFY2(region.place.contains(QRectF(part)), "the decoded part does not cover what was asked");

    // Painted as the canvas paints it, the part is what the whole picture shows there: the very
    // pixels of a full decode at full size, and at a smaller size what the whole picture decoded
    // at that size shows, with the same scaling.
    const auto paint = [&](const JpegRegion& r) {
        QImage painted(shown, QImage::Format_RGB32);
        painted.fill(Qt::black);
        QPainter painter(&painted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(r.place, r.pixels);
        return painted;
    };
    const bool full_size = shown == QSize(301, 203);
    const QImage reference = full_size ? QImage::fromData(jpeg)
                                       : paint(decode_jpeg_region(jpeg, shown, QRect(QPoint(0, 0), shown)));
    const auto [mean, largest] = difference(paint(region).copy(part), reference.copy(part));
    QVERIFY2(largest <= (full_size ? 2 : 8), qPrintable(QStringLiteral("mean %1, largest %2").arg(mean).arg(largest)));

    // And the whole picture at that size is the picture: close to a full decode scaled smoothly
    // (the two scale differently, so only a misplaced or wrongly scaled picture is far off).
    const QImage scaled = QImage::fromData(jpeg).scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double whole_mean = difference(reference, scaled).first;
    QVERIFY2(whole_mean < 12.0, qPrintable(QStringLiteral("mean %1 against a scaled full decode").arg(whole_mean)));
}

void PreviewSpeedTest::bytes_that_are_no_jpeg_decode_to_nothing()
{
    for (const QByteArray& bytes : {QByteArray(), QByteArray("not a picture"), QByteArray("\xFF\xD8\xFF\xE0", 4)}) {
        QVERIFY(jpeg_size(bytes).isEmpty());
        QVERIFY(decode_jpeg_region(bytes, QSize(10, 10), QRect(0, 0, 10, 10)).pixels.isNull());
    }
    const QByteArray jpeg = fresh_encoding(photo_, {70, 1});
    const QByteArray cut = jpeg.left(jpeg.size() / 3);
    const JpegRegion region = decode_jpeg_region(cut, QSize(301, 203), QRect(0, 0, 301, 203));
    Q_UNUSED(region);  // libjpeg fills a cut file with grey or gives up; either way nothing crashes
}

void PreviewSpeedTest::canvas_shows_the_picture_after_zoom_and_pan()
{
    const QImage source = blocks(600, 400);
    const QString path = write_picture(QDir(dir_.path()), "big.png", source, "PNG");
    Program p;
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    image_dropped(p.state, p.w(), path.toStdString());
    QWidget* canvas = p.w().画板1.widget();

    static_cast<QSlider*>(p.w().滑块条2.widget())->setSliderPosition(50);
    QCOMPARE(canvas->size(), QSize(300, 200));
    const QImage half = source.scaled(300, 200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QVERIFY2(difference(canvas->grab().toImage(), half).first < 4.0, "the zoomed preview is not the picture");

    // Panned far to the left, the canvas shows its right part where the preview area begins.
    static_cast<QSlider*>(p.w().滑块条2.widget())->setSliderPosition(100);
    canvas->move(-400, 5);
    QApplication::processEvents();
    const QImage shown = p.w().图片框1.widget()->grab(QRect(0, 5, 200, 400)).toImage();
    QVERIFY2(difference(shown, source.copy(400, 0, 200, 400)).first < 4.0, "the panned preview is not the picture");
}

QTEST_MAIN(PreviewSpeedTest)
#include "preview_speed_test.moc"
