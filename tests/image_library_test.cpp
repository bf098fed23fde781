// The image library end to end: pictures made here are written with Qt, loaded, saved in every
// format and read back. No window is needed.

#include "image_test_support.h"

#include <QColorSpace>

class ImageLibraryTest : public FixtureTest {
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
    void format_is_detected_from_contents_data();
    void format_is_detected_from_contents();
    void failed_save_leaves_target_untouched_data();
    void failed_save_leaves_target_untouched();
    void failed_load_leaves_object_empty_data();
    void failed_load_leaves_object_empty();
    void release_empties_object();
    void icc_profile_survives_data();
    void icc_profile_survives();
    void loads_picture_above_qt_default_allocation_limit();
};

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
    QTest::newRow("gif 47x33") << ImageFormat::Gif << QSize(47, 33) << false << 5.0;  // 5.7 before the palette was refined
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
        QCOMPARE(read_bytes(target_path), old_bytes);
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
        QVERIFY(QDir().mkpath(path(name)));
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
