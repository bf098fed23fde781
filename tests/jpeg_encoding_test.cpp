// The JPEG side of the image library: the quality read back from a file's tables, the encoder's
// settings (determinism, clamping, chroma subsampling, alpha), and EXIF orientation on load.

#include "image/jpeg_quality.h"
#include "image_test_support.h"

#include <QBuffer>

class JpegEncodingTest : public FixtureTest {
    Q_OBJECT

private slots:
    void quality_estimate_gives_back_encoder_quality();
    void quality_estimate_of_foreign_files_data();
    void quality_estimate_of_foreign_files();
    void quality_estimate_of_nonstandard_tables();
    void encode_is_deterministic_and_equals_saved_jpeg();
    void chroma_subsampling_follows_quality_data();
    void chroma_subsampling_follows_quality();
    void exif_orientation_is_applied();
    void jpeg_composites_alpha_over_white();
};

void JpegEncodingTest::quality_estimate_gives_back_encoder_quality()
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

void JpegEncodingTest::quality_estimate_of_foreign_files_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("written_quality");
    QTest::addColumn<int>("expected");
    QTest::newRow("qt jpeg 37") << QByteArray("jpeg") << 37 << 37;
    QTest::newRow("qt jpeg 93") << QByteArray("jpeg") << 93 << 93;
    QTest::newRow("bmp") << QByteArray("bmp") << -1 << 100;
    QTest::newRow("gif") << QByteArray("gif") << -1 << 100;
}

void JpegEncodingTest::quality_estimate_of_foreign_files()
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

void JpegEncodingTest::quality_estimate_of_nonstandard_tables()
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

void JpegEncodingTest::encode_is_deterministic_and_equals_saved_jpeg()
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
    QCOMPARE(read_bytes(path("saved.jpg")), first);

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

void JpegEncodingTest::chroma_subsampling_follows_quality_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("luma_sampling");  // the H:V byte of the first component
    QTest::newRow("1") << 1 << 0x22;
    QTest::newRow("89") << 89 << 0x22;
    QTest::newRow("90") << 90 << 0x11;
    QTest::newRow("100") << 100 << 0x11;
}

void JpegEncodingTest::chroma_subsampling_follows_quality()
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

void JpegEncodingTest::exif_orientation_is_applied()
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

void JpegEncodingTest::jpeg_composites_alpha_over_white()
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

QTEST_MAIN(JpegEncodingTest)
#include "jpeg_encoding_test.moc"
