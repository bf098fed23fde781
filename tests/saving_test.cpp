// "保存" and "另存为": which files are written, in which format, what the status line says, and
// that a failed write keeps the existing file and shows no path.

#include "image/file_names.h"
#include "image/loading.h"
#include "picture_fixtures.h"
#include "unwritable_folder.h"
#include "window_fixture.h"

#include <QImageReader>
#include <QSlider>
#include <QtTest>

namespace {

struct Decoded {
    QByteArray format;
    QSize size;
};

Decoded decode(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    return {format, reader.read().size()};
}

void click(const Button& button)
{
    QTest::mouseClick(button.widget(), Qt::LeftButton);
}

}  // namespace

class SavingTest : public QObject {
    Q_OBJECT

private slots:
    void save_writes_over_the_source_in_its_format_data();
    void save_writes_over_the_source_in_its_format();
    void save_writes_nothing_for_other_extensions_data();
    void save_writes_nothing_for_other_extensions();
    void save_with_a_path_ending_in_full_stop_changes_nothing();
    void failed_save_keeps_the_file_and_shows_no_path();
    void saved_jpeg_has_the_size_the_label_showed();
    void save_as_writes_the_chosen_format_and_changes_nothing_on_screen();
    void save_as_cancel_or_unknown_extension_writes_nothing_data();
    void save_as_cancel_or_unknown_extension_writes_nothing();

private:
    QTemporaryDir dir_;
};

void SavingTest::save_writes_over_the_source_in_its_format_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("writer");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("png") << "a.png" << QByteArray("PNG") << QByteArray("png");
    QTest::newRow("bmp") << "a.bmp" << QByteArray("BMP") << QByteArray("bmp");
    QTest::newRow("gif") << "a.gif" << QByteArray("PNG") << QByteArray("gif");  // Qt writes no GIF
    QTest::newRow("ico") << "a.ico" << QByteArray("ICO") << QByteArray("ico");
    QTest::newRow("jpg") << "a.jpg" << QByteArray("JPG") << QByteArray("jpeg");
}

void SavingTest::save_writes_over_the_source_in_its_format()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, writer);
    QFETCH(QByteArray, format);
    const QString path = write_picture(QDir(dir_.path()), name, photo_like(45, 31), writer.constData());
    Program p;
    image_dropped(p.state, p.w(), path.toStdString());
    // Ratio 2 makes every format's file differ from the source: ceil(45 / 2) x ceil(31 / 2).
    auto* combo = p.w().组合框1.widget();
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    click(p.w().按钮2);

    const Decoded written = decode(path);
    QCOMPARE(written.format, format);
    QCOMPARE(written.size, QSize(23, 16));
    QCOMPARE(p.w().状态.caption(), resolution_segment(45, 31) + size_segment(p.w().标签5.caption()) +
                                     path_segment(path.toStdString()));
}

void SavingTest::save_writes_nothing_for_other_extensions_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("upper-case JPG") << "b.JPG";
    QTest::newRow("jpeg") << "b.jpeg";
    QTest::newRow("no extension") << "bnoextension";
}

void SavingTest::save_writes_nothing_for_other_extensions()
{
    QFETCH(QString, name);
    const QString path = write_picture(QDir(dir_.path()), name, photo_like(20, 12), "JPG", 80);
    const QByteArray before = read_bytes(path);
    Program p;
    image_dropped(p.state, p.w(), path.toStdString());
    click(p.w().按钮2);
    QCOMPARE(read_bytes(path), before);
    const std::string status = p.w().状态.caption();
    QCOMPARE(status, resolution_segment(20, 12) + size_segment(p.w().标签5.caption()) + "    |  ");
}

void SavingTest::save_with_a_path_ending_in_full_stop_changes_nothing()
{
    const QDir dir(dir_.path());
    const QString png = write_picture(dir, "c.png", photo_like(20, 12), "PNG");
    const QString dotted = write_picture(dir, "c.", photo_like(20, 12), "PNG");
    const QByteArray png_before = read_bytes(png);
    const QByteArray dotted_before = read_bytes(dotted);
    Program p;
    image_dropped(p.state, p.w(), png.toStdString());
    image_dropped(p.state, p.w(), dotted.toStdString());
    const std::string status = p.w().状态.caption();
    click(p.w().按钮2);
    QCOMPARE(p.w().状态.caption(), status);
    QCOMPARE(read_bytes(png), png_before);
    QCOMPARE(read_bytes(dotted), dotted_before);
}

void SavingTest::failed_save_keeps_the_file_and_shows_no_path()
{
    QTemporaryDir locked;
    const QString path = write_picture(QDir(locked.path()), "d.png", photo_like(20, 12), "PNG");
    const QByteArray before = read_bytes(path);
    Program p;
    image_dropped(p.state, p.w(), path.toStdString());
    // Ratio 2, so that a write would change the file. set_text would only move the selection:
    // the library takes the ratio on the refresh that choosing an item runs.
    p.w().组合框1.widget()->setFocus();
    QTest::keyClick(p.w().组合框1.widget(), Qt::Key_Down);
    if (!make_unwritable(locked.path(), true)) {
        make_unwritable(locked.path(), false);
        QSKIP("cannot make a folder unwritable here");
    }
    click(p.w().按钮2);
    make_unwritable(locked.path(), false);
    QCOMPARE(read_bytes(path), before);
    QCOMPARE(QDir(locked.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"d.png"});
    QCOMPARE(p.w().状态.caption(), resolution_segment(20, 12) + size_segment(p.w().标签5.caption()) + "    |  ");
}

void SavingTest::saved_jpeg_has_the_size_the_label_showed()
{
    const QString path = write_picture(QDir(dir_.path()), "e.jpg", photo_like(64, 48), "JPG", 95);
    Program p;
    image_dropped(p.state, p.w(), path.toStdString());
    static_cast<QSlider*>(p.w().滑块条1.widget())->setSliderPosition(42);
    const std::string shown = p.w().标签5.caption();
    click(p.w().按钮2);
    QCOMPARE(size_text(read_bytes(path).size()), shown);
}

void SavingTest::save_as_writes_the_chosen_format_and_changes_nothing_on_screen()
{
    const QDir dir(dir_.path());
    const QString source = write_picture(dir, "photo.png", photo_like(30, 20), "PNG");
    const QString chosen = dir.filePath("x.bmp");
    Program p;
    image_dropped(p.state, p.w(), source.toStdString());
    const std::string status = p.w().状态.caption();
    DialogSeen seen;
    answer_next_dialog(chosen, &seen);
    click(p.w().按钮3);

    QCOMPARE(decode(chosen).format, QByteArray("bmp"));
    QCOMPARE(decode(chosen).size, QSize(30, 20));
    QCOMPARE(QFileInfo(seen.file).fileName(), QString("photo.jpg"));
    QCOMPARE(seen.selected_filter, seen.filters.value(2));
    QVERIFY(seen.selected_filter.startsWith("jpg"));
    QVERIFY(seen.confirms_overwrite);
    QCOMPARE(p.w().状态.caption(), status);
    QCOMPARE(p.state.current_path, source.toStdString());

    // "保存" still writes over the loaded file, and the status line names it.
    click(p.w().按钮2);
    QCOMPARE(decode(source).format, QByteArray("png"));
    QVERIFY(p.w().状态.caption().ends_with(path_segment(source.toStdString())));
}

void SavingTest::save_as_cancel_or_unknown_extension_writes_nothing_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::newRow("cancel") << QString();
    QTest::newRow("upper-case PNG") << "y.PNG";
    QTest::newRow("jpeg") << "y.jpeg";
}

void SavingTest::save_as_cancel_or_unknown_extension_writes_nothing()
{
    QFETCH(QString, chosen);
    QTemporaryDir out;
    const QString source = write_picture(QDir(dir_.path()), "f.png", photo_like(30, 20), "PNG");
    Program p;
    image_dropped(p.state, p.w(), source.toStdString());
    answer_next_dialog(chosen.isEmpty() ? QString() : QDir(out.path()).filePath(chosen));
    click(p.w().按钮3);
    QVERIFY(QDir(out.path()).isEmpty());
}

QTEST_MAIN(SavingTest)
#include "saving_test.moc"
