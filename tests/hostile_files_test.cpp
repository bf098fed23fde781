// Hostile and broken files dropped on the window: every load ends within two seconds, leaves the
// image object either empty or holding the picture the decoder recovered (the table says which,
// so a change in a decoder shows up here), and the window loads a valid picture right after.

#include "hostile_corpus.h"
#include "image/file_names.h"
#include "image/loading.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

constexpr qint64 load_time_limit_ms = 2000;

// What a load leaves: nothing, or a picture of this size.
struct Outcome {
    int width{0};
    int height{0};
};
constexpr Outcome empty{};

struct Row {
    const char* file;
    Outcome outcome;
};

// clang-format off
const Row rows[] = {
    {"valid.bmp", {35, 39}},
    {"valid.gif", {47, 33}},
    {"valid.ico", {32, 32}},
    {"valid.jpg", {61, 47}},
    {"valid.png", {47, 33}},
    {"bit_flips_in_header.bmp", empty},
    {"bit_flips_in_header.gif", {47, 33}},
    {"bit_flips_in_header.ico", empty},
    {"bit_flips_in_header.jpg", empty},
    {"bit_flips_in_header.png", empty},
    {"bmp_bits_per_pixel_zero.bmp", empty},
    {"bmp_height_huge.bmp", empty},
    {"bmp_height_int_min.bmp", empty},
    {"bmp_height_negative_huge.bmp", empty},
    {"bmp_height_negative_top_down.bmp", {35, 39}},
    {"bmp_height_zero.bmp", empty},
    {"bmp_palette_count_huge.bmp", empty},
    {"bmp_palette_index_out_of_range.bmp", {35, 39}},
    {"bmp_pixels_offset_past_end.bmp", {35, 39}},
    {"claims_100000x100000.bmp", empty},
    {"claims_100000x100000.ico", {32, 32}},
    {"claims_100000x100000.png", empty},
    {"claims_2147483647x1.png", empty},
    {"claims_65535x65535.gif", empty},
    {"claims_65535x65535.jpg", empty},
    {"empty.bmp", empty},
    {"empty.gif", empty},
    {"empty.ico", empty},
    {"empty.jpg", empty},
    {"empty.png", empty},
    {"gif_frame_outside_screen.gif", {47, 33}},
    {"gif_lzw_bomb_2000x2000.gif", {2000, 2000}},
    {"gif_lzw_data_past_frame.gif", {16, 16}},
    {"gif_lzw_data_short_of_frame.gif", {47, 33}},
    {"ico_directory_past_end.ico", empty},
    {"ico_entry_count_65535.ico", {32, 32}},  // the first entry is read
    {"ico_entry_overlaps_directory.ico", {32, 32}},
    {"ico_entry_size_past_end.ico", empty},
    {"text_file.png", empty},
    {"truncated_after_header.bmp", empty},
    {"truncated_after_header.gif", empty},
    {"truncated_after_header.ico", empty},
    {"truncated_after_header.jpg", empty},
    {"truncated_after_header.png", empty},
    {"truncated_before_end.bmp", {35, 39}},
    {"truncated_before_end.gif", {47, 33}},
    {"truncated_before_end.ico", empty},
    {"truncated_before_end.jpg", {61, 47}},
    {"truncated_before_end.png", {47, 33}},
    {"truncated_in_header.bmp", empty},
    {"truncated_in_header.gif", empty},
    {"truncated_in_header.ico", empty},
    {"truncated_in_header.jpg", empty},
    {"truncated_in_header.png", empty},
    {"truncated_in_pixels.bmp", {35, 39}},
    {"truncated_in_pixels.gif", {47, 33}},
    {"truncated_in_pixels.ico", empty},
    {"truncated_in_pixels.jpg", {61, 47}},
    {"truncated_in_pixels.png", empty},
    {"truncated_in_signature.bmp", empty},
    {"truncated_in_signature.gif", empty},
    {"truncated_in_signature.ico", empty},
    {"truncated_in_signature.jpg", empty},
    {"truncated_in_signature.png", empty},
};
// clang-format on

}  // namespace

class HostileFilesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void every_file_has_an_expected_outcome();
    void load_ends_quickly_and_leaves_the_expected_picture_data();
    void load_ends_quickly_and_leaves_the_expected_picture();

private:
    QTemporaryDir dir_;
    Program program_;  // one window for the whole table, as a user would drop file after file
};

void HostileFilesTest::initTestCase()
{
    QVERIFY2(dir_.isValid() && write_corpus(QDir(dir_.path())), "cannot write the corpus");
}

void HostileFilesTest::every_file_has_an_expected_outcome()
{
    QStringList in_table;
    for (const Row& row : rows)
        in_table.append(QString::fromLatin1(row.file));
    in_table.append(QStringLiteral("x.jpg"));
    QStringList written = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    in_table.sort();
    written.sort();
    QCOMPARE(written, in_table);
}

void HostileFilesTest::load_ends_quickly_and_leaves_the_expected_picture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    for (const Row& row : rows)
        QTest::newRow(row.file) << QString::fromLatin1(row.file) << row.outcome.width << row.outcome.height;
    QTest::newRow("x.jpg") << QStringLiteral("x.jpg") << 0 << 0;  // a directory
}

void HostileFilesTest::load_ends_quickly_and_leaves_the_expected_picture()
{
    QFETCH(QString, file);
    QFETCH(int, width);
    QFETCH(int, height);
    const QDir dir(dir_.path());
    Program& p = program_;
    QElapsedTimer timer;
    timer.start();
    image_dropped(p.state, p.w(), dir.filePath(file).toStdString());
    const qint64 elapsed = timer.elapsed();
    qInfo("%s: %s in %lld ms", qPrintable(file),
          p.state.image_width > 0 ? qPrintable(QStringLiteral("recovered %1x%2").arg(p.state.image_width).arg(p.state.image_height))
                                  : "empty",
          elapsed);
    QVERIFY2(elapsed < load_time_limit_ms,
             qPrintable(QStringLiteral("the load took %1 ms, over the %2 ms allowed").arg(elapsed).arg(load_time_limit_ms)));
    const ImageObject& image = *p.state.image;
    QCOMPARE(ImageLibrary::width(image), width);
    QCOMPARE(ImageLibrary::height(image), height);
    QCOMPARE(image.handle() != 0, width > 0);

    image_dropped(p.state, p.w(), dir.filePath("valid.png").toStdString());
    QVERIFY2(p.w().状态.caption().starts_with(resolution_segment(47, 33)),
             qPrintable(QString::fromStdString("after it, a valid picture shows as: " + p.w().状态.caption())));
}

QTEST_MAIN(HostileFilesTest)
#include "hostile_files_test.moc"
