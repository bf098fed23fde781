// The control layer's event behaviour, on bare Qt widgets: what a write from code raises, what a
// user's change raises, and the shared file dialog.

#include "ui/controls.h"
#include "ui/file_input.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSlider>
#include <QtTest>

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void position_writes_raise_nothing_user_changes_raise_once_data();
    void position_writes_raise_nothing_user_changes_raise_once();
    void edit_box_write_runs_its_handler_nested_once_per_write();
    void edit_box_takes_at_most_three_digits();
    void combo_box_reports_only_the_users_choice_with_text_set();
    void file_dialog_cancel_reads_as_empty_name();
    void file_dialog_hands_back_the_chosen_file_and_keeps_settings();
};

void ControlsTest::position_writes_raise_nothing_user_changes_raise_once_data()
{
    QTest::addColumn<bool>("scroll_bar");
    QTest::newRow("slider") << false;
    QTest::newRow("scroll bar") << true;
}

void ControlsTest::position_writes_raise_nothing_user_changes_raise_once()
{
    QFETCH(bool, scroll_bar);
    QWidget parent;
    QAbstractSlider* widget = scroll_bar ? static_cast<QAbstractSlider*>(new QScrollBar(&parent))
                                         : new QSlider(&parent);
    widget->setOrientation(Qt::Horizontal);
    widget->setRange(1, 100);
    widget->setValue(100);
    Slider slider(widget);
    QList<int> seen;
    slider.on_position_changed([&] { seen << slider.position(); });

    slider.set_position(40);
    slider.set_position(250);
    QVERIFY2(seen.isEmpty(), "a position written from code raised an event");
    QCOMPARE(slider.position(), 100);  // held at the nearer end of the range

    slider.set_position(50);
    widget->triggerAction(QAbstractSlider::SliderSingleStepSub);  // an arrow click or key press
    widget->setSliderPosition(20);                                // a drag of the handle
    QCOMPARE(seen, (QList<int>{49, 20}));
}

void ControlsTest::edit_box_write_runs_its_handler_nested_once_per_write()
{
    QWidget parent;
    EditBox box(new QLineEdit(&parent));
    QStringList seen;
    bool inside_write = false;
    box.on_text_changed([&] {
        QVERIFY(inside_write);
        seen << QString::fromStdString(box.text());
    });

    inside_write = true;
    box.set_text("37");
    box.set_text("37");  // an unchanged text still counts as a write
    inside_write = false;
    QCOMPARE(seen, (QStringList{"37", "37"}));

    // Typing raises it once per edit.
    seen.clear();
    inside_write = true;
    QTest::keyClick(box.widget(), Qt::Key_Backspace);
    QCOMPARE(seen, QStringList{"3"});
}

void ControlsTest::edit_box_takes_at_most_three_digits()
{
    QWidget parent;
    auto* edit = new QLineEdit(&parent);
    EditBox box(edit);
    box.accept_digits_only(3);
    QTest::keyClicks(edit, "1a2-b34");
    QCOMPARE(box.text(), std::string("123"));
}

void ControlsTest::combo_box_reports_only_the_users_choice_with_text_set()
{
    QWidget parent;
    auto* combo = new QComboBox(&parent);
    combo->addItems({"1", "2", "4", "8"});
    ComboBox box(combo);
    QStringList seen;
    box.on_item_selected([&] { seen << QString::fromStdString(box.text()); });

    box.set_text("4");
    box.set_text("3");  // no such item: nothing changes
    QCOMPARE(box.text(), std::string("4"));
    QVERIFY(seen.isEmpty());

    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(seen, QStringList{"8"});
}

void ControlsTest::file_dialog_cancel_reads_as_empty_name()
{
    QWidget parent;
    FileDialog dialog(&parent);
    dialog.set_file_name("photo.jpg");
    answer_next_dialog(QString());
    dialog.show();
    QCOMPARE(dialog.file_name(), std::string());
}

void ControlsTest::file_dialog_hands_back_the_chosen_file_and_keeps_settings()
{
    QTemporaryDir dir;
    const QString chosen = dir.filePath("x.bmp");
    QWidget parent;
    FileDialog dialog(&parent);
    dialog.set_type(FileDialog::Save);
    dialog.set_filter("bmp|*.bmp|gif|*.gif|jpg|*.jpg");
    dialog.set_filter_index(2);
    dialog.set_option(1);
    DialogSeen seen;
    answer_next_dialog(chosen, &seen);
    dialog.show();
    QCOMPARE(dialog.file_name(), QDir::toNativeSeparators(chosen).toStdString());
    QCOMPARE(seen.filters, (QStringList{"bmp (*.bmp)", "gif (*.gif)", "jpg (*.jpg)"}));
    QCOMPARE(seen.selected_filter, QString("jpg (*.jpg)"));
    QVERIFY(seen.confirms_overwrite);
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
