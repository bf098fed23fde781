// The image library end to end: pictures made here are written with Qt, loaded, saved in every
// format and read back. No window is needed.

#include "image/image_library.h"
#include "image/jpeg_quality.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

Q_DECLARE_METATYPE(ImageFormat)

namespace {

// A smooth gradient; with alpha, opacity ramps from 0 at the left to 255 at the right.
QImage gradient(QSize size, bool with_alpha)
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

QImage read_image(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

QByteArray file_bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray{};
}

bool write_bytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Mean absolute difference per channel, premultiplied so the colour of transparent pixels is moot.
double mean_error(const QImage& actual, const QImage& expected)
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

QImage composited_over_white(const QImage& picture)
{
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, picture);
    return flat;
}

// What a GIF can keep: pixels under half opacity become transparent, the rest opaque.
QImage alpha_thresholded(const QImage& picture)
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

QImage expected_after_save(const QImage& source, ImageFormat format)
{
    if (format == ImageFormat::Jpeg)
        return composited_over_white(source);
    if (format == ImageFormat::Gif)
        return alpha_thresholded(source);
    return source;
}

// The payload of the first segment with the given marker, walking the segments from SOI.
QByteArray jpeg_segment(const QByteArray& jpeg, uchar marker)
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

}  // namespace

class ImageLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void round_trip_data();
    void round_trip();
    void ratio_gives_ceiling_size_data();
    void ratio_gives_ceiling_size();
    void ratio_averages_each_block();
    void ratio_average_takes_no_colour_from_transparent_pixels();
    void icon_fits_within_256_data();
    void icon_fits_within_256();
    void quality_estimate_gives_back_encoder_quality();
    void quality_estimate_of_foreign_files_data();
    void quality_estimate_of_foreign_files();
    void quality_estimate_of_nonstandard_tables();
    void encode_is_deterministic_and_equals_saved_jpeg();
    void chroma_subsampling_follows_quality_data();
    void chroma_subsampling_follows_quality();
    void format_is_detected_from_contents_data();
    void format_is_detected_from_contents();
    void failed_save_leaves_target_untouched_data();
    void failed_save_leaves_target_untouched();
    void failed_load_leaves_object_empty_data();
    void failed_load_leaves_object_empty();
    void release_empties_object();
    void exif_orientation_is_applied();
    void jpeg_composites_alpha_over_white();
    void icc_profile_survives_data();
    void icc_profile_survives();
    void loads_picture_above_qt_default_allocation_limit();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    // Writes picture as a PNG fixture and loads it into image.
    void load_fixture(ImageObject& image, const QImage& picture, const QString& name = "fixture.png");

    QTemporaryDir dir_;
};

void ImageLibraryTest::load_fixture(ImageObject& image, const QImage& picture, const QString& name)
{
    QVERIFY2(picture.save(path(name), "png"), qPrintable(name));
    ImageLibrary::load_file(image, path(name).toStdString(), ImageFormat::Png);
    QCOMPARE(ImageLibrary::width(image), picture.width());
}

void ImageLibraryTest::round_trip_data()
{
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("with_alpha");
    QTest::addColumn<double>("max_error");  // 0: pixels must be equal
    QTest::newRow("bmp 47x33") << ImageFormat::Bmp << QSize(47, 33) << false << 0.0;
    QTest::newRow("bmp 35x39 alpha") << ImageFormat::Bmp << QSize(35, 39) << true << 0.0;
    QTest::newRow("png 47x33") << ImageFormat::Png << QSize(47, 33) << false << 0.0;
    QTest::newRow("png 35x39 alpha") << ImageFormat::Png << QSize(35, 39) << true << 0.0;
    QTest::newRow("jpeg 47x33") << ImageFormat::Jpeg << QSize(47, 33) << false << 1.5;
    QTest::newRow("jpeg 35x39 alpha") << ImageFormat::Jpeg << QSize(35, 39) << true << 1.5;
    QTest::newRow("gif 47x33") << ImageFormat::Gif << QSize(47, 33) << false << 8.0;
    QTest::newRow("gif 35x39 alpha") << ImageFormat::Gif << QSize(35, 39) << true << 8.0;
    QTest::newRow("ico 47x33") << ImageFormat::Ico << QSize(47, 33) << false << 0.5;
    QTest::newRow("ico 35x39 alpha") << ImageFormat::Ico << QSize(35, 39) << true << 0.5;
}

void ImageLibraryTest::round_trip()
{
    QFETCH(ImageFormat, format);
    QFETCH(QSize, size);
    QFETCH(bool, with_alpha);
    QFETCH(double, max_error);
    const QImage source = gradient(size, with_alpha);
    ImageObject image;
    load_fixture(image, source);

    const QString target = path(QString("round_trip_%1").arg(int(format)));
    QVERIFY(ImageLibrary::save_file(image, target.toStdString(), format));
    ImageObject reloaded;
    ImageLibrary::load_file(reloaded, target.toStdString(), format);
    QCOMPARE(ImageLibrary::width(reloaded), size.width());
    QCOMPARE(ImageLibrary::height(reloaded), size.height());

    const QImage written = read_image(target);
    const QImage expected = expected_after_save(source, format);
    if (max_error == 0.0) {
        QCOMPARE(written.hasAlphaChannel(), with_alpha);
        QCOMPARE(written.convertToFormat(expected.format()), expected);
    } else {
        const double error = mean_error(written, expected);
        QVERIFY2(error <= max_error, qPrintable(QString("mean error %1").arg(error)));
    }
}

void ImageLibraryTest::ratio_gives_ceiling_size_data()
{
    QTest::addColumn<int>("ratio");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("1") << 1 << QSize(47, 33);
    QTest::newRow("2") << 2 << QSize(24, 17);
    QTest::newRow("4") << 4 << QSize(12, 9);
    QTest::newRow("8") << 8 << QSize(6, 5);
    QTest::newRow("3 acts as 1") << 3 << QSize(47, 33);
    QTest::newRow("0 acts as 1") << 0 << QSize(47, 33);
    QTest::newRow("16 acts as 1") << 16 << QSize(47, 33);
}

void ImageLibraryTest::ratio_gives_ceiling_size()
{
    QFETCH(int, ratio);
    QFETCH(QSize, expected);
    ImageObject image;
    load_fixture(image, gradient(QSize(47, 33), true));
    ImageLibrary::set_compression_ratio(image, std::uint8_t(ratio));
    QCOMPARE(int(ImageLibrary::compression_ratio(image)), ratio);

    QByteArray jpeg;
    ImageLibrary::encode(image, jpeg, ImageFormat::Jpeg);
    QCOMPARE(QImage::fromData(jpeg, "jpeg").size(), expected);
    QVERIFY(ImageLibrary::save_file(image, path("reduced.png").toStdString(), ImageFormat::Png));
    QCOMPARE(read_image(path("reduced.png")).size(), expected);
    // The loaded picture itself is not reduced.
    QCOMPARE(ImageLibrary::width(image), 47);
}

void ImageLibraryTest::ratio_averages_each_block()
{
    // Red is x * 10 + y * 50, so every block mean is a whole number.
    QImage source(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            source.setPixel(x, y, qRgb(x * 10 + y * 50, 255 - (x * 10 + y * 50), 0));
    }
    ImageObject image;
    load_fixture(image, source);
    ImageLibrary::set_compression_ratio(image, 2);
    QVERIFY(ImageLibrary::save_file(image, path("blocks.png").toStdString(), ImageFormat::Png));

    const QImage reduced = read_image(path("blocks.png"));
    QCOMPARE(reduced.size(), QSize(3, 2));
    const struct { QPoint at; int red; } blocks[] = {
        {{0, 0}, 30},   // 0, 10, 50, 60
        {{2, 0}, 65},   // right edge: 40, 90
        {{0, 1}, 105},  // bottom edge: 100, 110
        {{2, 1}, 140},  // corner: a single pixel
    };
    for (const auto& block : blocks) {
        QCOMPARE(qRed(reduced.pixel(block.at)), block.red);
        QCOMPARE(qGreen(reduced.pixel(block.at)), 255 - block.red);
    }
}

void ImageLibraryTest::ratio_average_takes_no_colour_from_transparent_pixels()
{
    QImage source(2, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(255, 0, 0, 255));
    source.setPixel(1, 0, qRgba(0, 0, 255, 0));
    ImageObject image;
    load_fixture(image, source);
    ImageLibrary::set_compression_ratio(image, 2);
    QVERIFY(ImageLibrary::save_file(image, path("half_clear.png").toStdString(), ImageFormat::Png));
    const QRgb pixel = read_image(path("half_clear.png")).pixel(0, 0);
    QCOMPARE(qRed(pixel), 255);
    QCOMPARE(qBlue(pixel), 0);
    QCOMPARE(qAlpha(pixel), 128);
}

void ImageLibraryTest::icon_fits_within_256_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("wide") << QSize(600, 300) << QSize(256, 128);
    QTest::newRow("tall") << QSize(300, 600) << QSize(128, 256);
    QTest::newRow("small stays") << QSize(100, 50) << QSize(100, 50);
    QTest::newRow("exactly 256") << QSize(256, 256) << QSize(256, 256);
    QTest::newRow("thin keeps one row") << QSize(1000, 2) << QSize(256, 1);
}

void ImageLibraryTest::icon_fits_within_256()
{
    QFETCH(QSize, size);
    QFETCH(QSize, expected);
    ImageObject image;
    load_fixture(image, gradient(size, false));
    QVERIFY(ImageLibrary::save_file(image, path("icon.ico").toStdString(), ImageFormat::Ico));
    ImageObject icon;
    ImageLibrary::load_file(icon, path("icon.ico").toStdString(), ImageFormat::Ico);
    QCOMPARE(QSize(ImageLibrary::width(icon), ImageLibrary::height(icon)), expected);
}

void ImageLibraryTest::quality_estimate_gives_back_encoder_quality()
{
    ImageObject image;
    load_fixture(image, gradient(QSize(35, 39), false));
    QCOMPARE(int(ImageLibrary::quality(image)), 100);  // not a JPEG source
    for (int quality = 1; quality <= 100; ++quality) {
        ImageLibrary::set_quality(image, std::uint8_t(quality));
        QByteArray jpeg;
        ImageLibrary::encode(image, jpeg, ImageFormat::Jpeg);
        QVERIFY(write_bytes(path("estimate.jpg"), jpeg));
        ImageObject reloaded;
        ImageLibrary::set_compression_ratio(reloaded, 4);
        ImageLibrary::load_file(reloaded, path("estimate.jpg").toStdString(), ImageFormat::Jpeg);
        QCOMPARE(int(ImageLibrary::quality(reloaded)), quality);
        QCOMPARE(int(ImageLibrary::compression_ratio(reloaded)), 1);
    }
}

void ImageLibraryTest::quality_estimate_of_foreign_files_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("written_quality");
    QTest::addColumn<int>("expected");
    QTest::newRow("qt jpeg 37") << QByteArray("jpeg") << 37 << 37;
    QTest::newRow("qt jpeg 93") << QByteArray("jpeg") << 93 << 93;
    QTest::newRow("bmp") << QByteArray("bmp") << -1 << 100;
    QTest::newRow("gif") << QByteArray("gif") << -1 << 100;
}

void ImageLibraryTest::quality_estimate_of_foreign_files()
{
    QFETCH(QByteArray, format);
    QFETCH(int, written_quality);
    QFETCH(int, expected);
    const QString name = path("foreign." + QString::fromLatin1(format));
    if (format == "gif") {
        // Qt cannot write GIF, so the library makes the fixture.
        ImageObject maker;
        load_fixture(maker, gradient(QSize(35, 39), false));
        QVERIFY(ImageLibrary::save_file(maker, name.toStdString(), ImageFormat::Gif));
    } else {
        QVERIFY(gradient(QSize(35, 39), false).save(name, format.constData(), written_quality));
    }
    ImageObject image;
    ImageLibrary::set_quality(image, 12);
    ImageLibrary::load_file(image, name.toStdString(), ImageFormat::Unknown);
    QCOMPARE(ImageLibrary::width(image), 35);
    QCOMPARE(int(ImageLibrary::quality(image)), expected);
}

void ImageLibraryTest::quality_estimate_of_nonstandard_tables()
{
    // Tables that match no quality exactly fall back to the nearest quality by their totals.
    QuantTable luma{};
    QuantTable chroma{};
    luma.fill(20);
    chroma.fill(40);
    const int uniform = estimate_quality_from_tables(luma, &chroma);
    QVERIFY2(uniform > 50 && uniform < 90, qPrintable(QString::number(uniform)));
    luma.fill(255);
    QCOMPARE(estimate_quality_from_tables(luma, nullptr), 1);
    luma.fill(1);
    QCOMPARE(estimate_quality_from_tables(luma, nullptr), 100);
}

void ImageLibraryTest::encode_is_deterministic_and_equals_saved_jpeg()
{
    ImageObject image;
    load_fixture(image, gradient(QSize(47, 33), true));
    ImageLibrary::set_quality(image, 80);
    ImageLibrary::set_compression_ratio(image, 2);
    QByteArray first;
    QByteArray second("stale bytes");
    ImageLibrary::encode(image, first, ImageFormat::Jpeg);
    ImageLibrary::encode(image, second, ImageFormat::Png);  // the format argument is ignored
    QVERIFY(!first.isEmpty());
    QCOMPARE(second, first);
    QVERIFY(ImageLibrary::save_file(image, path("saved.jpg").toStdString(), ImageFormat::Jpeg));
    QCOMPARE(file_bytes(path("saved.jpg")), first);

    // Out-of-range qualities are clamped, not passed on.
    const auto encoded_at = [&](int quality) {
        ImageLibrary::set_quality(image, std::uint8_t(quality));
        QByteArray bytes;
        ImageLibrary::encode(image, bytes, ImageFormat::Jpeg);
        return bytes;
    };
    QCOMPARE(encoded_at(0), encoded_at(1));
    QCOMPARE(encoded_at(255), encoded_at(100));

    ImageObject empty;
    QByteArray nothing("stale bytes");
    ImageLibrary::encode(empty, nothing, ImageFormat::Jpeg);
    QVERIFY(nothing.isEmpty());
}

void ImageLibraryTest::chroma_subsampling_follows_quality_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("luma_sampling");  // the H:V byte of the first component
    QTest::newRow("1") << 1 << 0x22;
    QTest::newRow("89") << 89 << 0x22;
    QTest::newRow("90") << 90 << 0x11;
    QTest::newRow("100") << 100 << 0x11;
}

void ImageLibraryTest::chroma_subsampling_follows_quality()
{
    QFETCH(int, quality);
    QFETCH(int, luma_sampling);
    ImageObject image;
    load_fixture(image, gradient(QSize(35, 39), false));
    ImageLibrary::set_quality(image, std::uint8_t(quality));
    QByteArray jpeg;
    ImageLibrary::encode(image, jpeg, ImageFormat::Jpeg);
    const QByteArray baseline_frame = jpeg_segment(jpeg, 0xc0);
    QVERIFY2(baseline_frame.size() == 6 + 3 * 3, "expected a baseline frame with three components");
    QCOMPARE(int(uchar(baseline_frame[7])), luma_sampling);
    QCOMPARE(int(uchar(baseline_frame[10])), 0x11);
    QCOMPARE(int(uchar(baseline_frame[13])), 0x11);
}

void ImageLibraryTest::format_is_detected_from_contents_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("written_as");
    QTest::addColumn<ImageFormat>("stated");
    QTest::newRow("png without extension") << "picture" << QByteArray("png") << ImageFormat::Unknown;
    QTest::newRow("jpeg named .JPG") << "photo.JPG" << QByteArray("jpeg") << ImageFormat::Unknown;
    QTest::newRow("jpeg named .jpeg") << "photo.jpeg" << QByteArray("jpeg") << ImageFormat::Unknown;
    QTest::newRow("ico named .icon") << "logo.icon" << QByteArray("ico") << ImageFormat::Unknown;
    QTest::newRow("bmp named .png") << "mislabelled.png" << QByteArray("bmp") << ImageFormat::Png;
    QTest::newRow("jpeg named .png") << "mislabelled2.png" << QByteArray("jpeg") << ImageFormat::Png;
}

void ImageLibraryTest::format_is_detected_from_contents()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, written_as);
    QFETCH(ImageFormat, stated);
    QVERIFY(gradient(QSize(35, 39), false).save(path(name), written_as.constData()));
    ImageObject image;
    ImageLibrary::load_file(image, path(name).toStdString(), stated);
    QCOMPARE(ImageLibrary::width(image), 35);
    QCOMPARE(ImageLibrary::height(image), 39);
    QVERIFY(image.handle() != 0);
}

void ImageLibraryTest::failed_save_leaves_target_untouched_data()
{
    QTest::addColumn<QSize>("picture");  // empty: nothing loaded
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("existing");  // "file", "directory" or "" for nothing there
    QTest::newRow("missing folder") << QSize(8, 8) << ImageFormat::Png << "missing/out.png" << "";
    QTest::newRow("directory as target") << QSize(8, 8) << ImageFormat::Png << "a_directory" << "directory";
    QTest::newRow("empty object") << QSize() << ImageFormat::Png << "kept.png" << "file";
    QTest::newRow("unknown format") << QSize(8, 8) << ImageFormat::Unknown << "kept.png" << "file";
    QTest::newRow("too wide for jpeg") << QSize(70000, 1) << ImageFormat::Jpeg << "kept.jpg" << "file";
    QTest::newRow("too wide for gif") << QSize(70000, 1) << ImageFormat::Gif << "kept.gif" << "file";
}

void ImageLibraryTest::failed_save_leaves_target_untouched()
{
    QFETCH(QSize, picture);
    QFETCH(ImageFormat, format);
    QFETCH(QString, target);
    QFETCH(QString, existing);
    QTemporaryDir folder;
    const QString target_path = folder.filePath(target);
    const QByteArray old_bytes("bytes that must survive");
    if (existing == "file")
        QVERIFY(write_bytes(target_path, old_bytes));
    if (existing == "directory")
        QVERIFY(QDir(folder.path()).mkdir(target));
    ImageObject image;
    if (!picture.isEmpty())
        load_fixture(image, gradient(picture, false));
    const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    QVERIFY(!ImageLibrary::save_file(image, target_path.toStdString(), format));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    if (existing == "file")
        QCOMPARE(file_bytes(target_path), old_bytes);
    QCOMPARE(QFileInfo(target_path).isDir(), existing == "directory");
}

void ImageLibraryTest::failed_load_leaves_object_empty_data()
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    gradient(QSize(35, 39), false).save(&buffer, "png");
    // A BMP header that claims 40000 x 40000 pixels, 6.4 GB once decoded, and holds no pixels.
    QByteArray huge_bmp("BM");
    QDataStream header(&huge_bmp, QIODevice::Append);
    header.setByteOrder(QDataStream::LittleEndian);
    header << quint32(54) << quint32(0) << quint32(54) << quint32(40) << qint32(40000) << qint32(40000)
           << quint16(1) << quint16(24) << quint32(0) << quint32(0) << quint32(2835) << quint32(2835)
           << quint32(0) << quint32(0);

    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents");  // null: the file is not created
    QTest::newRow("missing file") << "missing.png" << QByteArray();
    QTest::newRow("corrupt bytes") << "corrupt_bytes.png" << QByteArray("\x01\x02not a picture at all", 22);
    QTest::newRow("truncated after header") << "truncated_after_header.png" << png.left(33);
    QTest::newRow("empty file") << "empty_file.jpg" << QByteArray("");
    QTest::newRow("directory") << "a_folder.png" << QByteArray("directory");
    QTest::newRow("claims 1600 megapixels") << "claims_1600_megapixels.bmp" << huge_bmp;
}

void ImageLibraryTest::failed_load_leaves_object_empty()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    if (contents == "directory")
        QVERIFY(QDir(dir_.path()).mkpath(name));
    else if (!contents.isNull())
        QVERIFY(write_bytes(path(name), contents));

    ImageObject image;
    load_fixture(image, gradient(QSize(35, 39), false));
    QVERIFY(image.handle() != 0);
    ImageLibrary::set_quality(image, 30);
    ImageLibrary::set_compression_ratio(image, 4);

    ImageLibrary::load_file(image, path(name).toStdString(), ImageFormat::Unknown);
    QCOMPARE(image.handle(), std::uintptr_t{0});
    QCOMPARE(ImageLibrary::width(image), 0);
    QCOMPARE(ImageLibrary::height(image), 0);
    QCOMPARE(int(ImageLibrary::quality(image)), 100);
    QCOMPARE(int(ImageLibrary::compression_ratio(image)), 1);
    QByteArray output("stale");
    ImageLibrary::encode(image, output, ImageFormat::Jpeg);
    QVERIFY(output.isEmpty());
}

void ImageLibraryTest::release_empties_object()
{
    ImageObject image;
    load_fixture(image, gradient(QSize(35, 39), false));
    ImageLibrary::release(image);
    QCOMPARE(image.handle(), std::uintptr_t{0});
    QCOMPARE(ImageLibrary::width(image), 0);
    QVERIFY(!ImageLibrary::save_file(image, path("released.png").toStdString(), ImageFormat::Png));
    load_fixture(image, gradient(QSize(47, 33), false));  // usable again
}

void ImageLibraryTest::exif_orientation_is_applied()
{
    // 40 x 20, red on the left half and blue on the right; orientation 6 turns it a quarter
    // clockwise, so it loads as 20 x 40 with red on top.
    QImage source(40, 20, QImage::Format_RGB32);
    source.fill(Qt::blue);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x)
            source.setPixel(x, y, qRgb(255, 0, 0));
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(source.save(&buffer, "jpeg", 95));
    // APP1: "Exif\0\0", a little-endian TIFF header and one IFD entry: Orientation (0x0112),
    // SHORT, count 1, value 6.
    const QByteArray app1 = QByteArray::fromHex("ffe10022" "457869660000" "49492a0008000000"
                                                "0100" "120103000100000006000000" "00000000");
    jpeg.insert(2, app1);
    QVERIFY(write_bytes(path("rotated.jpg"), jpeg));

    ImageObject image;
    ImageLibrary::load_file(image, path("rotated.jpg").toStdString(), ImageFormat::Jpeg);
    QCOMPARE(ImageLibrary::width(image), 20);
    QCOMPARE(ImageLibrary::height(image), 40);
    QVERIFY(ImageLibrary::save_file(image, path("upright.png").toStdString(), ImageFormat::Png));
    const QImage upright = read_image(path("upright.png"));
    QVERIFY(qRed(upright.pixel(10, 5)) > 200 && qBlue(upright.pixel(10, 5)) < 60);
    QVERIFY(qBlue(upright.pixel(10, 35)) > 200 && qRed(upright.pixel(10, 35)) < 60);
}

void ImageLibraryTest::jpeg_composites_alpha_over_white()
{
    // Left half fully transparent black, right half half-transparent black.
    QImage source(16, 16, QImage::Format_ARGB32);
    source.fill(0);
    for (int y = 0; y < 16; ++y) {
        for (int x = 8; x < 16; ++x)
            source.setPixel(x, y, qRgba(0, 0, 0, 128));
    }
    ImageObject image;
    load_fixture(image, source);
    QByteArray jpeg;
    ImageLibrary::encode(image, jpeg, ImageFormat::Jpeg);
    const QImage decoded = QImage::fromData(jpeg, "jpeg");
    QVERIFY(!decoded.hasAlphaChannel());
    QVERIFY2(qGray(decoded.pixel(2, 8)) >= 250, "transparent pixels must turn white");
    QVERIFY2(std::abs(qGray(decoded.pixel(13, 8)) - 127) <= 4, "half-transparent black must turn grey");
}

void ImageLibraryTest::icc_profile_survives_data()
{
    QTest::addColumn<ImageFormat>("format");
    QTest::newRow("png") << ImageFormat::Png;
    QTest::newRow("jpeg") << ImageFormat::Jpeg;
}

void ImageLibraryTest::icc_profile_survives()
{
    QFETCH(ImageFormat, format);
    QImage source = gradient(QSize(35, 39), false);
    source.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
    const QByteArray profile = source.colorSpace().iccProfile();
    QVERIFY(!profile.isEmpty());
    ImageObject image;
    load_fixture(image, source);
    ImageLibrary::set_compression_ratio(image, 2);  // the reduced copy must keep it too
    QVERIFY(ImageLibrary::save_file(image, path("profiled").toStdString(), format));
    QCOMPARE(read_image(path("profiled")).colorSpace().iccProfile(), profile);
}

void ImageLibraryTest::loads_picture_above_qt_default_allocation_limit()
{
    // 8500 x 8500 decodes to 289 MB, past Qt's default 256 MB reader limit.
    {
        QImage large(8500, 8500, QImage::Format_RGB32);
        large.fill(Qt::darkCyan);
        QVERIFY(large.save(path("large.png"), "png", 0));
    }
    ImageObject image;
    ImageLibrary::load_file(image, path("large.png").toStdString(), ImageFormat::Png);
    QCOMPARE(ImageLibrary::width(image), 8500);
    QCOMPARE(ImageLibrary::height(image), 8500);
}

QTEST_MAIN(ImageLibraryTest)
#include "image_library_test.moc"
