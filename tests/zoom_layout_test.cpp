// Zoom, window layout and dragging: canvas sizes, the status line's zoom form, the layout numbers,
// and drags of the panel and the canvas with the mouse. Ends with one whole typical use.

#include "image/file_names.h"
#include "image/loading.h"
#include "picture_fixtures.h"
#include "ui/zoom_layout.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QImageReader>
#include <QSlider>
#include <QtTest>

namespace {

QSlider* slider(const Slider& control)
{
    return static_cast<QSlider*>(control.widget());
}

// Presses the left button at `from` inside widget, moves by `by`, releases.
void drag(QWidget* widget, QPoint from, QPoint by)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + by), widget->mapToGlobal(QPointF(from + by)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, from);
}

}  // namespace

class ZoomLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void zoomed_size_divides_first_data();
    void zoomed_size_divides_first();
    void zoom_before_any_picture();
    void zoom_scales_the_canvas_and_writes_the_zoom_form();
    void next_refresh_drops_the_zoom_piece();
    void layout_follows_the_window_size_data();
    void layout_follows_the_window_size();
    void panel_drags_with_its_controls();
    void canvas_drags_and_zoom_puts_it_back();
    void typical_use_end_to_end();

private:
    QTemporaryDir dir_;
};

void ZoomLayoutTest::zoomed_size_divides_first_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("canvas");
    const std::initializer_list<std::tuple<int, int, int>> rows{
        {640, 100, 640}, {800, 100, 800}, {1000, 100, 1000}, {1024, 100, 1024}, {29, 100, 28},
        {57, 100, 56},   {58, 100, 57},   {113, 100, 112},   {201, 100, 200},   {58, 50, 28},
        {70, 90, 62},    {99, 1, 0},      {1000, 55, 550},   {800, 55, 440},    {0, 40, 0},
    };
    for (const auto& [size, percent, canvas] : rows)
        QTest::addRow("%d at %d%%", size, percent) << size << percent << canvas;
}

void ZoomLayoutTest::zoomed_size_divides_first()
{
    QFETCH(int, size);
    QFETCH(int, percent);
    QFETCH(int, canvas);
    QCOMPARE(zoomed_size(size, percent), canvas);
}

void ZoomLayoutTest::zoom_before_any_picture()
{
    Program p;
    slider(p.w().滑块条2)->setSliderPosition(40);
    QCOMPARE(p.w().画板1.widget()->geometry(), QRect(195, 5, 0, 0));
    QCOMPARE(p.w().标签6.caption(), std::string("缩放: 40%"));
    QCOMPARE(p.w().状态.caption(), resolution_segment(0, 0) + size_segment("") + zoom_segment(0, 0));
}

void ZoomLayoutTest::zoom_scales_the_canvas_and_writes_the_zoom_form()
{
    const QString path = write_picture(QDir(dir_.path()), "big.png", photo_like(1000, 800), "PNG");
    Program p;
    image_dropped(p.state, p.w(), path.toStdString());
    const auto encodes = p.state.image->encode_calls();
    slider(p.w().滑块条2)->setSliderPosition(55);
    QCOMPARE(p.w().画板1.widget()->geometry(), QRect(195, 5, 550, 440));
    QCOMPARE(p.w().标签6.caption(), std::string("缩放: 55%"));
    QCOMPARE(p.w().状态.caption(),
             resolution_segment(1000, 800) + size_segment(p.w().标签5.caption()) + zoom_segment(550, 440));
    QCOMPARE(p.state.image->encode_calls(), encodes);  // a zoom encodes nothing
    QCOMPARE(p.state.image_width, 1000);
}

void ZoomLayoutTest::next_refresh_drops_the_zoom_piece()
{
    const QString path = write_picture(QDir(dir_.path()), "mid.png", photo_like(200, 100), "PNG");
    Program p;
    image_dropped(p.state, p.w(), path.toStdString());
    slider(p.w().滑块条2)->setSliderPosition(50);
    slider(p.w().滑块条1)->setSliderPosition(80);
    QCOMPARE(p.w().状态.caption(), resolution_segment(100, 50) + size_segment(p.w().标签5.caption()));
    // The preview is drawn at the zoomed size.
    QCOMPARE(p.w().画板1.widget()->grab().size(), QSize(100, 50));
}

void ZoomLayoutTest::layout_follows_the_window_size_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("status");
    QTest::newRow("as opened") << QSize(814, 512) << QRect(0, 454, 814, 24);
    QTest::newRow("40 high") << QSize(600, 40) << QRect(0, -18, 600, 24);
    QTest::newRow("large") << QSize(1200, 900) << QRect(0, 842, 1200, 24);
}

void ZoomLayoutTest::layout_follows_the_window_size()
{
    QFETCH(QSize, size);
    QFETCH(QRect, status);
    Program p;
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    // Sizes here are outer sizes; the platform may add a frame around the inside.
    p.window->resize(size - (p.window->frameGeometry().size() - p.window->size()));
    QCOMPARE(QSize(p.w().outer_width(), p.w().outer_height()), size);
    QCOMPARE(p.w().状态.widget()->geometry(), status);
    QCOMPARE(p.w().图片框1.widget()->geometry(), QRect(QPoint(0, 0), size));
    QCOMPARE(p.w().外形框1.widget()->geometry(), QRect(560, 16, 232, 320));
}

void ZoomLayoutTest::panel_drags_with_its_controls()
{
    Program p;
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    QWidget* panel = p.w().外形框1.widget();
    const QRect button = p.w().按钮1.widget()->geometry();
    drag(panel, QPoint(200, 5), QPoint(-300, 60));
    QCOMPARE(panel->pos(), QPoint(260, 76));
    QCOMPARE(p.w().按钮1.widget()->geometry(), button);
    // Moves after the release do not move it.
    QTest::mouseMove(panel, QPoint(10, 10));
    QCOMPARE(panel->pos(), QPoint(260, 76));
}

void ZoomLayoutTest::canvas_drags_and_zoom_puts_it_back()
{
    const QString path = write_picture(QDir(dir_.path()), "pan.png", photo_like(300, 200), "PNG");
    Program p;
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    image_dropped(p.state, p.w(), path.toStdString());
    QWidget* canvas = p.w().画板1.widget();
    drag(canvas, QPoint(50, 50), QPoint(40, -20));
    QCOMPARE(canvas->geometry(), QRect(235, -15, 300, 200));
    slider(p.w().滑块条2)->setSliderPosition(99);
    QCOMPARE(canvas->geometry(), QRect(195, 5, 297, 198));

    // A double-click on the canvas still opens the dialog.
    const QString other = write_picture(QDir(dir_.path()), "other.png", photo_like(30, 20), "PNG");
    answer_next_dialog(other);
    QTest::mouseDClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(p.state.current_path, QDir::toNativeSeparators(other).toStdString());
    QCOMPARE(canvas->geometry(), QRect(195, 5, 30, 20));
}

void ZoomLayoutTest::typical_use_end_to_end()
{
    const QString path = write_picture(QDir(dir_.path()), "trip.jpg", photo_like(120, 90), "JPG", 85);
    Program p;
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    answer_next_dialog(path);
    QTest::mouseClick(p.w().按钮1.widget(), Qt::LeftButton);
    QCOMPARE(p.w().编辑框2.text(), std::string("85"));

    slider(p.w().滑块条1)->setSliderPosition(60);
    auto* combo = static_cast<QComboBox*>(p.w().组合框1.widget());
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    slider(p.w().滑块条2)->setSliderPosition(50);
    const std::string size = p.w().标签5.caption();
    QCOMPARE(p.w().状态.caption(), resolution_segment(120, 90) + size_segment(size) + zoom_segment(60, 45));
    QTest::mouseClick(p.w().按钮2.widget(), Qt::LeftButton);

    QCOMPARE(p.w().编辑框1.text(), path.toStdString());
    QCOMPARE(p.w().编辑框2.text(), std::string("60"));
    QCOMPARE(p.w().滑块条1.position(), 60);
    QCOMPARE(p.w().横向滚动条1.position(), 60);
    QCOMPARE(p.w().组合框1.text(), std::string("2"));
    QCOMPARE(p.w().标签6.caption(), std::string("缩放: 50%"));
    QCOMPARE(p.w().画板1.widget()->geometry(), QRect(195, 5, 60, 45));
    QCOMPARE(p.w().状态.caption(),
             resolution_segment(60, 45) + size_segment(size) + path_segment(path.toStdString()));

    // The file is the picture at half size, at quality 60.
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(60, 45));
    ImageObject reloaded;
    ImageLibrary::load_file(reloaded, path.toStdString(), ImageFormat::Jpeg);
    QCOMPARE(int(ImageLibrary::quality(reloaded)), 60);
}

QTEST_MAIN(ZoomLayoutTest)
#include "zoom_layout_test.moc"
