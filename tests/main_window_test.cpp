// The window as it opens: every control's kind, parent, place, size and content, the stacking
// order, the drop target's life, and the program's start and end.

#include "window_fixture.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSlider>
#include <QtTest>

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void controls_start_where_designed_data();
    void controls_start_where_designed();
    void window_opens_at_designed_outer_size();
    void status_over_panel_over_preview_area();
    void drop_target_lives_from_creation_to_destruction();
    void start_up_and_clean_up();
};

void MainWindowTest::controls_start_where_designed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("content");
    struct Row {
        const char* name;
        const char* kind;
        const char* parent;
        QRect place;
        const char* content;
    };
    const Row rows[] = {
        {"图片框1", "QWidget", "", {4, 1, 796, 438}, ""},
        {"画板1", "QWidget", "图片框1", {28, 39, 0, 8}, ""},
        {"外形框1", "QFrame", "", {560, 16, 232, 320}, ""},
        {"编辑框1", "QLineEdit", "外形框1", {4, 15, 156, 24}, ""},
        {"按钮1", "QPushButton", "外形框1", {167, 16, 60, 24}, "打开图片"},
        {"标签2", "QLabel", "外形框1", {25, 51, 31, 24}, "品质:"},
        {"编辑框2", "QLineEdit", "外形框1", {65, 51, 32, 23}, "100"},
        {"横向滚动条1", "QScrollBar", "外形框1", {112, 50, 32, 24}, "1-100@100"},
        {"滑块条1", "QSlider", "外形框1", {8, 79, 176, 32}, "1-100@100"},
        {"标签3", "QLabel", "外形框1", {32, 127, 48, 24}, "压缩率:"},
        {"组合框1", "QComboBox", "外形框1", {90, 128, 48, 20}, "1|2|4|8"},
        {"标签4", "QLabel", "外形框1", {33, 156, 31, 24}, "尺寸:"},
        {"标签5", "QLabel", "外形框1", {131, 180, 93, 24}, ""},
        {"标签6", "QLabel", "外形框1", {32, 181, 80, 24}, "缩放: 100%"},
        {"滑块条2", "QSlider", "外形框1", {24, 209, 168, 40}, "1-100@100"},
        {"按钮2", "QPushButton", "外形框1", {17, 270, 80, 32}, "保存"},
        {"按钮3", "QPushButton", "外形框1", {124, 268, 80, 32}, "另存为"},
        {"状态", "QLabel", "", {224, 451, 312, 24}, ""},
    };
    for (const Row& row : rows)
        QTest::newRow(row.name) << row.kind << row.parent << row.place << QString::fromUtf8(row.content);
}

// What a control shows at start, as one comparable text.
QString content_of(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items.join('|');
    }
    if (auto* slider = qobject_cast<QAbstractSlider*>(widget)) {
        if (slider->orientation() != Qt::Horizontal || slider->singleStep() != 1)
            return QStringLiteral("not a horizontal control with steps of 1");
        return QStringLiteral("%1-%2@%3").arg(slider->minimum()).arg(slider->maximum()).arg(slider->value());
    }
    return QString();
}

void MainWindowTest::controls_start_where_designed()
{
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QRect, place);
    QFETCH(QString, content);
    Program program;
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    auto* widget = program.window->findChild<QWidget*>(name);
    QVERIFY2(widget, "no control of that name");
    QVERIFY2(widget->inherits(kind.toLatin1()), widget->metaObject()->className());
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), place);
    QCOMPARE(content_of(widget), content);
    QVERIFY(widget->isEnabled());
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        QVERIFY2(!combo->isEditable(), "the ratio box offers only its list");
}

void MainWindowTest::window_opens_at_designed_outer_size()
{
    Program program;
    MainWindow& w = program.w();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(QSize(w.outer_width(), w.outer_height()), QSize(814, 512));
    QCOMPARE(w.frameGeometry().topLeft(), QPoint(50, 50));
    QVERIFY(!w.windowTitle().isEmpty());
    // Opening the window counts as a size change: the preview area covers it and the status line
    // sits 58 pixels above its bottom.
    QCOMPARE(w.图片框1.widget()->geometry(), QRect(0, 0, 814, 512));
    QCOMPARE(w.状态.widget()->geometry(), QRect(0, 454, 814, 24));
}

void MainWindowTest::status_over_panel_over_preview_area()
{
    Program program;
    QList<QString> order;
    for (QObject* child : program.window->children())
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
            order << widget->objectName();
    // Qt paints later children over earlier ones.
    QCOMPARE(order, (QList<QString>{"图片框1", "外形框1", "状态"}));
    QCOMPARE(program.w().外形框1.widget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 14);
    QVERIFY(qobject_cast<QFrame*>(program.w().外形框1.widget())->frameShape() != QFrame::NoFrame);
}

void MainWindowTest::drop_target_lives_from_creation_to_destruction()
{
    Program program;
    QVERIFY(program.window->acceptDrops());
    program.w().拖放对象1.revoke();
    QVERIFY(!program.window->acceptDrops());
}

void MainWindowTest::start_up_and_clean_up()
{
    AppState state;
    QVERIFY(!state.image);
    create_image_object(state);
    QVERIFY(state.image);
    QCOMPARE(state.image->handle(), std::uintptr_t{0});
    QCOMPARE(state.image_width, 0);
    QCOMPARE(state.image_height, 0);
    QVERIFY(state.current_path.empty());
    QVERIFY(state.preview_bytes.isEmpty());

    // Clean-up also takes an object that never held a picture, and leaves nothing behind.
    state.current_path = "/tmp/a.png";
    state.preview_bytes = QByteArray("jpeg");
    release_resources(state);
    QVERIFY(!state.image);
    QVERIFY(state.current_path.empty());
    QVERIFY(state.preview_bytes.isEmpty());
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
