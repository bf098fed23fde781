// The three quality controls and the ratio box, driven as a user drives them: what each control
// holds afterwards, how many refreshes ran, and which encoding the size label shows.

#include "image/file_names.h"
#include "image/loading.h"
#include "picture_fixtures.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSlider>
#include <QtTest>

namespace {

struct Loaded : Program {
    QTemporaryDir dir;
    std::string path;

    Loaded()
    {
        path = write_picture(QDir(dir.path()), "photo.png", photo_like(96, 72), "PNG").toStdString();
        image_dropped(state, w(), path);
    }

    // The size label's text for an encoding of the same file at these settings, made directly.
    std::string size_at(int quality, int ratio = 1) const
    {
        ImageObject image;
        ImageLibrary::load_file(image, path, ImageFormat::Png);
        ImageLibrary::set_quality(image, static_cast<std::uint8_t>(quality));
        ImageLibrary::set_compression_ratio(image, static_cast<std::uint8_t>(ratio));
        QByteArray bytes;
        ImageLibrary::encode(image, bytes, ImageFormat::Jpeg);
        return size_text(bytes.size());
    }

    std::uint64_t encodes() const { return state.image->encode_calls(); }
    QSlider* slider() { return static_cast<QSlider*>(w().滑块条1.widget()); }
    QLineEdit* edit() { return static_cast<QLineEdit*>(w().编辑框2.widget()); }
    QScrollBar* spinner() { return static_cast<QScrollBar*>(w().横向滚动条1.widget()); }
    QComboBox* combo() { return static_cast<QComboBox*>(w().组合框1.widget()); }

    // What a click on the spinner's left arrow does.
    void step_spinner_down() { spinner()->triggerAction(QAbstractSlider::SliderSingleStepSub); }

    void type_quality(const char* text)
    {
        edit()->selectAll();
        QTest::keyClicks(edit(), text);
    }
};

enum class Action { MoveSlider, TypeText, StepSpinnerDown, ChooseRatio };

}  // namespace

Q_DECLARE_METATYPE(Action)

class QualityControlsTest : public QObject {
    Q_OBJECT

private slots:
    void each_action_leaves_the_controls_and_refreshes_data();
    void each_action_leaves_the_controls_and_refreshes();
    void spinner_and_edit_stay_one_behind_until_a_slider_move();
    void spinner_steps_from_its_own_position_not_the_typed_text();
    void typed_text_stays_as_typed();
    void a_chosen_ratio_shows_from_the_next_refresh_on();
    void controls_work_before_any_picture();
};

void QualityControlsTest::each_action_leaves_the_controls_and_refreshes_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("slider");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("spinner");
    QTest::addColumn<int>("library_quality");
    QTest::addColumn<int>("refreshes");
    QTest::addColumn<int>("shown_quality");
    // From a loaded PNG: every control at 100, ratio 1.
    QTest::newRow("slider moved to 37") << Action::MoveSlider << 37 << 37 << "37" << 37 << 37 << 2 << 37;
    QTest::newRow("text typed 7") << Action::TypeText << 7 << 7 << "7" << 100 << 7 << 1 << 100;
    QTest::newRow("spinner stepped down") << Action::StepSpinnerDown << 0 << 99 << "99" << 99 << 99 << 1 << 100;
    QTest::newRow("ratio 8 chosen") << Action::ChooseRatio << 8 << 100 << "100" << 100 << 100 << 0 << 100;
}

void QualityControlsTest::each_action_leaves_the_controls_and_refreshes()
{
    QFETCH(Action, action);
    QFETCH(int, value);
    QFETCH(int, slider);
    QFETCH(QString, text);
    QFETCH(int, spinner);
    QFETCH(int, library_quality);
    QFETCH(int, refreshes);
    QFETCH(int, shown_quality);
    Loaded p;
    const auto before = p.encodes();
    switch (action) {
    case Action::MoveSlider:
        p.slider()->setSliderPosition(value);  // what a drag of the handle does
        break;
    case Action::TypeText:
        p.type_quality(QByteArray::number(value).constData());
        break;
    case Action::StepSpinnerDown:
        p.step_spinner_down();
        break;
    case Action::ChooseRatio:
        p.combo()->setFocus();
        QTest::keyClick(p.combo(), Qt::Key_End);
        break;
    }
    QCOMPARE(p.w().滑块条1.position(), slider);
    QCOMPARE(QString::fromStdString(p.w().编辑框2.text()), text);
    QCOMPARE(p.w().横向滚动条1.position(), spinner);
    QCOMPARE(int(ImageLibrary::quality(*p.state.image)), library_quality);
    QCOMPARE(int(p.encodes() - before), refreshes);
    QCOMPARE(p.w().标签5.caption(), p.size_at(shown_quality));
    QCOMPARE(p.w().状态.caption(), resolution_segment(96, 72) + size_segment(p.size_at(shown_quality)));
    if (action == Action::ChooseRatio)
        QCOMPARE(int(ImageLibrary::compression_ratio(*p.state.image)), 8);
}

void QualityControlsTest::spinner_and_edit_stay_one_behind_until_a_slider_move()
{
    Loaded p;
    p.step_spinner_down();
    QCOMPARE(p.w().标签5.caption(), p.size_at(100));
    QCOMPARE(int(ImageLibrary::quality(*p.state.image)), 99);
    p.step_spinner_down();
    QCOMPARE(p.w().标签5.caption(), p.size_at(99));
    p.type_quality("40");  // two keystrokes, two refreshes: the last shows quality 4
    QCOMPARE(p.w().标签5.caption(), p.size_at(4));
    p.slider()->setSliderPosition(37);
    QCOMPARE(p.w().标签5.caption(), p.size_at(37));
    QVERIFY(p.size_at(37) != p.size_at(100));
}

void QualityControlsTest::spinner_steps_from_its_own_position_not_the_typed_text()
{
    Loaded p;
    p.type_quality("40");
    QCOMPARE(p.w().横向滚动条1.position(), 100);
    p.step_spinner_down();
    QCOMPARE(p.w().横向滚动条1.position(), 99);
    QCOMPARE(p.w().编辑框2.text(), std::string("99"));
    QCOMPARE(p.w().滑块条1.position(), 99);
}

void QualityControlsTest::typed_text_stays_as_typed()
{
    Loaded p;
    p.type_quality("050");
    QCOMPARE(p.w().编辑框2.text(), std::string("050"));
    QCOMPARE(p.w().滑块条1.position(), 50);
    // "0" moved the slider to its lower end; the library got the slider's position, never 0.
    p.slider()->setSliderPosition(60);
    QCOMPARE(p.w().编辑框2.text(), std::string("60"));
}

void QualityControlsTest::a_chosen_ratio_shows_from_the_next_refresh_on()
{
    Loaded p;
    p.combo()->setFocus();
    QTest::keyClick(p.combo(), Qt::Key_Down);  // "2"
    QCOMPARE(p.w().组合框1.text(), std::string("2"));
    QCOMPARE(p.w().标签5.caption(), p.size_at(100, 1));
    p.slider()->setSliderPosition(37);
    QCOMPARE(p.w().标签5.caption(), p.size_at(37, 2));
    QVERIFY(p.size_at(37, 2) != p.size_at(37, 1));
}

void QualityControlsTest::controls_work_before_any_picture()
{
    Program p;
    static_cast<QSlider*>(p.w().滑块条1.widget())->setSliderPosition(40);
    QCOMPARE(p.state.image->encode_calls(), std::uint64_t{2});
    QCOMPARE(p.w().编辑框2.text(), std::string("40"));
    QCOMPARE(p.w().标签5.caption(), std::string("0 KB"));
    // The canvas has not been sized yet: it is 0 wide and 8 high as the window opens.
    QCOMPARE(p.w().状态.caption(), resolution_segment(0, 8) + size_segment("0 KB"));
}

QTEST_MAIN(QualityControlsTest)
#include "quality_controls_test.moc"
