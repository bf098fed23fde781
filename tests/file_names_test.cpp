// Path, format and status-text helpers, checked byte for byte without any window.

#include "image/file_names.h"

#include "std_string_printing.h"

#include <QtTest>

Q_DECLARE_METATYPE(ImageFormat)
Q_DECLARE_METATYPE(std::string)

class FileNamesTest : public QObject {
    Q_OBJECT

private slots:
    void extension_and_format_data();
    void extension_and_format();
    void default_save_name_data();
    void default_save_name();
    void size_text_data();
    void size_text();
    void text_to_int_data();
    void text_to_int();
    void status_pieces_are_exact_bytes();
    void dialog_filters();
};

void FileNamesTest::extension_and_format_data()
{
    QTest::addColumn<std::string>("path");
    QTest::addColumn<std::string>("extension");
    QTest::addColumn<ImageFormat>("format");
    const std::initializer_list<std::tuple<const char*, std::string, std::string, ImageFormat>> rows{
        {"empty path", "", "", ImageFormat::Unknown},
        {"png", "C:\\pics\\photo.png", "png", ImageFormat::Png},
        {"upper-case PNG", "C:\\pics\\photo.PNG", "PNG", ImageFormat::Unknown},
        {"jpeg", "C:\\pics\\photo.jpeg", "jpeg", ImageFormat::Unknown},
        {"icon", "/home/u/logo.icon", "icon", ImageFormat::Unknown},
        {"double extension", "C:\\pics\\a.tar.gz", "gz", ImageFormat::Unknown},
        {"ends in full stop", "C:\\pics\\photo.", "", ImageFormat::Unknown},
        {"only an extension", "C:\\pics\\.png", "png", ImageFormat::Png},
        {"no full stop", "C:\\pics\\photo", "C:\\pics\\photo", ImageFormat::Unknown},
        {"full stop in folder", "C:\\my.pics\\photo", "pics\\photo", ImageFormat::Unknown},
        {"bmp", "/tmp/a.bmp", "bmp", ImageFormat::Bmp},
        {"gif", "/tmp/a.gif", "gif", ImageFormat::Gif},
        {"jpg", "/tmp/a.jpg", "jpg", ImageFormat::Jpeg},
        {"ico", "/tmp/a.ico", "ico", ImageFormat::Ico},
        {"chinese name", "/照片/花.png", "png", ImageFormat::Png},
    };
    for (const auto& [name, path, extension, format] : rows)
        QTest::newRow(name) << path << extension << format;
}

void FileNamesTest::extension_and_format()
{
    QFETCH(std::string, path);
    QFETCH(std::string, extension);
    QFETCH(ImageFormat, format);
    QCOMPARE(file_extension(path), extension);
    QCOMPARE(format_for_extension(file_extension(path)), format);
}

void FileNamesTest::default_save_name_data()
{
    QTest::addColumn<std::string>("path");
    QTest::addColumn<std::string>("name");
    const std::initializer_list<std::tuple<const char*, std::string, std::string>> rows{
        {"empty path", "", ".jpg"},
        {"png", "C:\\pics\\photo.png", "photo.jpg"},
        {"two full stops", "C:\\pics\\my.photo.bmp", "my.photo.jpg"},
        {"upper-case JPG", "C:\\pics\\photo.JPG", "photo.jpg"},
        {"ends in full stop", "C:\\pics\\photo.", "photo.jpg"},
        {"no full stop", "C:\\pics\\photo", ".jpg"},
        {"full stop in folder", "C:\\my.pics\\photo", ".jpg"},
        {"no backslash", "photo.png", "photo.jpg"},
        {"only an extension", "C:\\pics\\.png", ".jpg"},
        {"forward slashes", "/home/u/pics/photo.png", "photo.jpg"},
        {"full stop in a slash folder", "/home/u/my.pics/photo", ".jpg"},
        {"mixed separators", "C:/pics\\sub/花.gif", "花.jpg"},
    };
    for (const auto& [name, path, preset] : rows)
        QTest::newRow(name) << path << preset;
}

void FileNamesTest::default_save_name()
{
    QFETCH(std::string, path);
    QFETCH(std::string, name);
    QCOMPARE(::default_save_name(path), name);
}

void FileNamesTest::size_text_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<std::string>("text");
    QTest::newRow("nothing") << qint64{0} << std::string("0 KB");
    QTest::newRow("one byte") << qint64{1} << std::string("0.001 KB");
    QTest::newRow("rounds down") << qint64{100000} << std::string("97.656 KB");
    QTest::newRow("tie rounds up") << qint64{1088} << std::string("1.063 KB");
    QTest::newRow("half") << qint64{1536} << std::string("1.5 KB");
    QTest::newRow("whole") << qint64{2048} << std::string("2 KB");
    QTest::newRow("no grouping") << qint64{1048576} << std::string("1024 KB");
    QTest::newRow("large") << qint64{5'000'000'000} << std::string("4882812.5 KB");
}

void FileNamesTest::size_text()
{
    QFETCH(qint64, bytes);
    QFETCH(std::string, text);
    QCOMPARE(::size_text(bytes), text);
}

void FileNamesTest::text_to_int_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << std::string("37") << 37;
    QTest::newRow("leading zero") << std::string("050") << 50;
    QTest::newRow("empty") << std::string("") << 0;
    QTest::newRow("letters") << std::string("abc") << 0;
    QTest::newRow("digits then letters") << std::string("12ab") << 12;
    QTest::newRow("leading spaces") << std::string("  8") << 8;
    QTest::newRow("sign") << std::string("-5") << -5;
    QTest::newRow("plus") << std::string("+5") << 5;
    QTest::newRow("fraction") << std::string("2.9") << 2;
    QTest::newRow("saturates high") << std::string("99999999999") << 2147483647;
    QTest::newRow("saturates low") << std::string("-99999999999") << -2147483647 - 1;
}

void FileNamesTest::text_to_int()
{
    QFETCH(std::string, text);
    QFETCH(int, value);
    QCOMPARE(::text_to_int(text), value);
}

void FileNamesTest::status_pieces_are_exact_bytes()
{
    QCOMPARE(resolution_segment(800, 600), std::string("   |  分辨率: 800 × 600"));
    QCOMPARE(size_segment("97.656 KB"), std::string("   |   图片尺寸: 97.656 KB"));
    QCOMPARE(size_segment(""), std::string("   |   图片尺寸: "));
    QCOMPARE(path_segment(""), std::string("    |  "));
    QCOMPARE(path_segment("/tmp/a.png"), std::string("    |  /tmp/a.png"));
    QCOMPARE(zoom_segment(400, 300), std::string("    |  缩放:400 × 300"));
    QCOMPARE(zoom_caption(100), std::string("缩放: 100%"));
    // The multiplication sign is U+00D7, two bytes in UTF-8.
    QCOMPARE(resolution_segment(1, 2).substr(resolution_segment(1, 2).size() - 5),
             std::string(" \xC3\x97 2"));
}

void FileNamesTest::dialog_filters()
{
    QCOMPARE(open_filter, std::string_view("*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.ico;*.icon|"
                                           "*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.ico;*.icon"));
    QCOMPARE(save_filter, std::string_view("bmp|*.bmp|gif|*.gif|jpg|*.jpg|png|*.png|ico|*.ico"));
    QCOMPARE(save_filter_index, 2);
}

QTEST_APPLESS_MAIN(FileNamesTest)
#include "file_names_test.moc"
