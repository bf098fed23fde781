// Loading through the open dialog and by a drop onto the window: what the window shows after
// each kind of file, and that nothing changes for a cancelled dialog or an unusable path.

#include "image/file_names.h"
#include "image/loading.h"
#include "picture_fixtures.h"
#include "window_fixture.h"

#include <QMimeData>
#include <QSlider>
#include <QUrl>
#include <QtTest>

namespace {

// What the window must show after loading a file: the picture's size and quality.
struct Expected {
    int width;
    int height;
    int quality;
};

void drop(QWidget* window, const QMimeData& data)
{
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QDropEvent dropped(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &dropped);
}

void drop_file(QWidget* window, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    drop(window, data);
}

// The encoded size the window must show: the file encoded at its own quality, made directly.
std::string expected_size(const std::string& path, int quality)
{
    ImageObject image;
    ImageLibrary::load_file(image, path, ImageFormat::Unknown);
    ImageLibrary::set_quality(image, static_cast<std::uint8_t>(quality));
    QByteArray bytes;
    ImageLibrary::encode(image, bytes, ImageFormat::Jpeg);
    return size_text(bytes.size());
}

}  // namespace

class LoadingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void loaded_file_fills_the_window_data();
    void loaded_file_fills_the_window();
    void path_ending_in_full_stop_changes_only_the_path_data();
    void path_ending_in_full_stop_changes_only_the_path();
    void cancelled_dialog_and_empty_drop_change_nothing();
    void drop_takes_the_first_local_file_only_data();
    void drop_takes_the_first_local_file_only();
    void canvas_shows_the_picture();
    void a_load_keeps_the_zoom_controls();
    void one_load_makes_three_encodings();

private:
    QTemporaryDir dir_;
};

void LoadingTest::initTestCase()
{
    const QDir dir(dir_.path());
    write_picture(dir, "photo.jpg", photo_like(61, 47), "JPG", 75);
    write_picture(dir, "alpha.png", photo_like(35, 39, true), "PNG");
    write_picture(dir, "photo.jpeg", photo_like(40, 30), "JPG", 90);
    write_picture(dir, "noextension", photo_like(33, 21), "PNG");
    write_picture(dir, "upper.JPG", photo_like(20, 10), "JPG", 50);
    write_bytes(dir, "corrupt.png", QByteArray("\x89PNG\r\n\x1a\nnot really a picture", 28));
    write_picture(dir, "photo.", photo_like(10, 10), "PNG");
}

void LoadingTest::loaded_file_fills_the_window_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("by_drop");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("quality");
    const std::initializer_list<std::tuple<const char*, const char*, Expected>> files{
        {"jpeg at 75", "photo.jpg", {61, 47, 75}},
        {"png with alpha", "alpha.png", {35, 39, 100}},
        {".jpeg extension", "photo.jpeg", {40, 30, 90}},
        {"no extension", "noextension", {33, 21, 100}},
        {"upper-case .JPG", "upper.JPG", {20, 10, 50}},
        {"corrupt file", "corrupt.png", {0, 0, 100}},
    };
    for (const auto& [name, file, expected] : files) {
        for (const bool by_drop : {false, true}) {
            const QByteArray tag = QByteArray(name) + (by_drop ? " by drop" : " by dialog");
            QTest::newRow(tag.constData()) << QString(file) << by_drop << expected.width << expected.height
                                           << expected.quality;
        }
    }
}

void LoadingTest::loaded_file_fills_the_window()
{
    QFETCH(QString, name);
    QFETCH(bool, by_drop);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, quality);
    const QString path = QDir(dir_.path()).filePath(name);
    const std::string native = QDir::toNativeSeparators(path).toStdString();
    Program p;
    p.w().组合框1.set_text("4");  // a load puts the library's ratio back
    if (by_drop) {
        drop_file(p.window.get(), path);
    } else {
        answer_next_dialog(path);
        QTest::mouseClick(p.w().按钮1.widget(), Qt::LeftButton);
    }

    QCOMPARE(p.state.current_path, native);
    QCOMPARE(p.state.image_width, width);
    QCOMPARE(p.state.image_height, height);
    QCOMPARE(p.w().画板1.widget()->geometry(), QRect(195, 5, width, height));
    QCOMPARE(p.w().编辑框1.text(), native);
    QCOMPARE(p.w().组合框1.text(), std::string("1"));
    QCOMPARE(p.w().编辑框2.text(), std::to_string(quality));
    QCOMPARE(p.w().滑块条1.position(), quality);
    QCOMPARE(p.w().横向滚动条1.position(), quality);
    const std::string size = expected_size(native, quality);
    QCOMPARE(p.w().标签5.caption(), size);
    QCOMPARE(p.w().状态.caption(), resolution_segment(width, height) + size_segment(size));
}

void LoadingTest::path_ending_in_full_stop_changes_only_the_path_data()
{
    QTest::addColumn<bool>("by_drop");
    QTest::newRow("by dialog") << false;
    QTest::newRow("by drop") << true;
}

void LoadingTest::path_ending_in_full_stop_changes_only_the_path()
{
    QFETCH(bool, by_drop);
    const QDir dir(dir_.path());
    Program p;
    image_dropped(p.state, p.w(), dir.filePath("alpha.png").toStdString());
    const QString status = QString::fromStdString(p.w().状态.caption());
    const auto encodes = p.state.image->encode_calls();
    const QString path = dir.filePath("photo.");
    if (by_drop) {
        drop_file(p.window.get(), path);
    } else {
        answer_next_dialog(path);
        QTest::mouseClick(p.w().按钮1.widget(), Qt::LeftButton);
    }
    QCOMPARE(p.state.current_path, QDir::toNativeSeparators(path).toStdString());
    QCOMPARE(p.state.image_width, 35);
    QCOMPARE(p.state.image->encode_calls(), encodes);
    QCOMPARE(QString::fromStdString(p.w().状态.caption()), status);
    QCOMPARE(p.w().编辑框1.text(), QDir::toNativeSeparators(dir.filePath("alpha.png")).toStdString());
}

void LoadingTest::cancelled_dialog_and_empty_drop_change_nothing()
{
    const std::string png = QDir(dir_.path()).filePath("alpha.png").toStdString();
    Program p;
    image_dropped(p.state, p.w(), png);
    const std::string status = p.w().状态.caption();
    answer_next_dialog(QString());
    QTest::mouseDClick(p.w().画板1.widget(), Qt::LeftButton);  // the canvas opens the dialog too
    image_dropped(p.state, p.w(), "");
    QCOMPARE(p.state.current_path, png);
    QCOMPARE(p.w().状态.caption(), status);
    QCOMPARE(p.state.image_width, 35);
}

void LoadingTest::drop_takes_the_first_local_file_only_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("loaded");  // empty: the drop changes nothing
    const QDir dir(dir_.path());
    const QUrl jpeg = QUrl::fromLocalFile(dir.filePath("photo.jpg"));
    const QUrl png = QUrl::fromLocalFile(dir.filePath("alpha.png"));
    QTest::newRow("two files") << QList<QUrl>{jpeg, png} << QString() << dir.filePath("photo.jpg");
    QTest::newRow("remote then local") << QList<QUrl>{QUrl("https://example.org/a.png"), png} << QString()
                                       << dir.filePath("alpha.png");
    QTest::newRow("remote only") << QList<QUrl>{QUrl("https://example.org/a.png")} << QString() << QString();
    QTest::newRow("plain text") << QList<QUrl>{} << dir.filePath("photo.jpg") << QString();
}

void LoadingTest::drop_takes_the_first_local_file_only()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, text);
    QFETCH(QString, loaded);
    Program p;
    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!text.isEmpty())
        data.setText(text);
    drop(p.window.get(), data);
    QCOMPARE(p.state.current_path, QDir::toNativeSeparators(loaded).toStdString());
    QCOMPARE(p.state.image->encode_calls(), std::uint64_t{loaded.isEmpty() ? 0u : 3u});
}

void LoadingTest::canvas_shows_the_picture()
{
    const QImage source = photo_like(61, 47);
    Program p;
    image_dropped(p.state, p.w(), QDir(dir_.path()).filePath("photo.jpg").toStdString());
    const QImage shown = p.w().画板1.widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), source.size());
    for (const QPoint at : {QPoint(5, 5), QPoint(30, 20), QPoint(55, 40)}) {
        const QColor a = shown.pixelColor(at);
        const QColor b = source.pixelColor(at);
        const int error = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
        QVERIFY2(error < 90, qPrintable(QStringLiteral("pixel %1,%2 off by %3").arg(at.x()).arg(at.y()).arg(error)));
    }
}

void LoadingTest::a_load_keeps_the_zoom_controls()
{
    Program p;
    static_cast<QSlider*>(p.w().滑块条2.widget())->setSliderPosition(50);
    image_dropped(p.state, p.w(), QDir(dir_.path()).filePath("photo.jpg").toStdString());
    QCOMPARE(p.w().滑块条2.position(), 50);
    QCOMPARE(p.w().标签6.caption(), std::string("缩放: 50%"));
    QCOMPARE(p.w().画板1.widget()->geometry(), QRect(195, 5, 61, 47));
}

void LoadingTest::one_load_makes_three_encodings()
{
    Program p;
    image_dropped(p.state, p.w(), QDir(dir_.path()).filePath("photo.jpg").toStdString());
    QCOMPARE(p.state.image->encode_calls(), std::uint64_t{3});
}

QTEST_MAIN(LoadingTest)
#include "loading_test.moc"
