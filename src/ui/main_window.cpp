#include "ui/main_window.h"

#include "app/app_state.h"
#include "image/loading.h"
#include "image/preview.h"
#include "image/saving.h"
#include "ui/quality_controls.h"
#include "ui/zoom_layout.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr int design_left = 50;
constexpr int design_top = 50;
constexpr int design_width = 814;
constexpr int design_height = 512;

// Place (relative to the parent), size and initial content of every control on screen.
struct ControlDesign {
    std::string_view name;
    int left, top, width, height;
    std::string_view text;  // caption or text; for the combo box its items, separated by "|"
    int minimum{0}, maximum{0}, position{0};
};

constexpr std::array<ControlDesign, 18> control_designs{{
    {"图片框1", 4, 1, 796, 438, ""},
    {"画板1", 28, 39, 0, 8, ""},
    {"外形框1", 560, 16, 232, 320, ""},
    {"编辑框1", 4, 15, 156, 24, ""},
    {"按钮1", 167, 16, 60, 24, "打开图片"},
    {"标签2", 25, 51, 31, 24, "品质:"},
    {"编辑框2", 65, 51, 32, 23, "100"},
    {"横向滚动条1", 112, 50, 32, 24, "", 1, 100, 100},
    {"滑块条1", 8, 79, 176, 32, "", 1, 100, 100},
    {"标签3", 32, 127, 48, 24, "压缩率:"},
    {"组合框1", 90, 128, 48, 20, "1|2|4|8"},
    {"标签4", 33, 156, 31, 24, "尺寸:"},
    {"标签5", 131, 180, 93, 24, ""},
    {"标签6", 32, 181, 80, 24, "缩放: 100%"},
    {"滑块条2", 24, 209, 168, 40, "", 1, 100, 100},
    {"按钮2", 17, 270, 80, 32, "保存"},
    {"按钮3", 124, 268, 80, 32, "另存为"},
    {"状态", 224, 451, 312, 24, ""},
}};

const ControlDesign& design_of(std::string_view name)
{
    return *std::find_if(control_designs.begin(), control_designs.end(),
                         [name](const ControlDesign& d) { return d.name == name; });
}

void set_content(QWidget*, const ControlDesign&) {}
void set_content(QLabel* label, const ControlDesign& d) { label->setText(to_qstring(d.text)); }
void set_content(QPushButton* button, const ControlDesign& d) { button->setText(to_qstring(d.text)); }
void set_content(QLineEdit* edit, const ControlDesign& d) { edit->setText(to_qstring(d.text)); }
void set_content(QComboBox* combo, const ControlDesign& d)
{
    combo->addItems(to_qstring(d.text).split(QLatin1Char('|')));
}
void set_content(QAbstractSlider* slider, const ControlDesign& d)
{
    slider->setOrientation(Qt::Horizontal);
    slider->setRange(d.minimum, d.maximum);
    slider->setSingleStep(1);
    slider->setValue(d.position);
}

// Creates a child control of the parent with its name, place, size and content from the table.
template <class Widget>
Widget* make_control(QWidget* parent, std::string_view name)
{
    const ControlDesign& d = design_of(name);
    auto* widget = new Widget(parent);  // owned by its parent
    widget->setObjectName(to_qstring(name));
    widget->setGeometry(d.left, d.top, d.width, d.height);
    set_content(widget, d);
    return widget;
}

QFrame* create_panel(QWidget* parent)
{
    auto* panel = make_control<QFrame>(parent, "外形框1");
    panel->setFrameShape(QFrame::Box);
    panel->setAutoFillBackground(true);
    return panel;
}

}  // namespace

MainWindow::MainWindow(AppState& state)
    : 图片框1(make_control<QWidget>(this, "图片框1")),
      画板1(make_control<CanvasWidget>(图片框1.widget(), "画板1")),
      外形框1(create_panel(this)),
      编辑框1(make_control<QLineEdit>(外形框1.widget(), "编辑框1")),
      按钮1(make_control<QPushButton>(外形框1.widget(), "按钮1")),
      标签2(make_control<QLabel>(外形框1.widget(), "标签2")),
      编辑框2(make_control<QLineEdit>(外形框1.widget(), "编辑框2")),
      横向滚动条1(make_control<QScrollBar>(外形框1.widget(), "横向滚动条1")),
      滑块条1(make_control<QSlider>(外形框1.widget(), "滑块条1")),
      标签3(make_control<QLabel>(外形框1.widget(), "标签3")),
      组合框1(make_control<QComboBox>(外形框1.widget(), "组合框1")),
      标签4(make_control<QLabel>(外形框1.widget(), "标签4")),
      标签5(make_control<QLabel>(外形框1.widget(), "标签5")),
      标签6(make_control<QLabel>(外形框1.widget(), "标签6")),
      滑块条2(make_control<QSlider>(外形框1.widget(), "滑块条2")),
      按钮2(make_control<QPushButton>(外形框1.widget(), "按钮2")),
      按钮3(make_control<QPushButton>(外形框1.widget(), "按钮3")),
      状态(make_control<QLabel>(this, "状态")),
      通用对话框1(this),
      state_(state)
{
    拖放对象1.setObjectName(QStringLiteral("拖放对象1"));
    setWindowTitle(QStringLiteral("图片压缩"));
    move(design_left, design_top);
    resize(design_width, design_height);
    编辑框2.accept_digits_only(3);
    状态.widget()->setAutoFillBackground(true);  // readable over the picture
    // Top first: the status line, the panel, the preview area.
    图片框1.widget()->lower();
    状态.widget()->raise();
    bind_events();
    created_();
}

MainWindow::~MainWindow()
{
    about_to_be_destroyed_();
}

int MainWindow::outer_width() const
{
    return frameGeometry().width();
}

int MainWindow::outer_height() const
{
    return frameGeometry().height();
}

// The designed size is the outer size. A window manager reports its frame only some time after
// the window shows (with a move or a resize), so the inside is shrunk once, when it first does.
void MainWindow::fit_outer_size_once()
{
    const QSize frame = frameGeometry().size() - size();
    if (outer_size_fixed_ || frame.isEmpty())
        return;
    outer_size_fixed_ = true;
    resize(design_width - frame.width(), design_height - frame.height());
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    fit_outer_size_once();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    fit_outer_size_once();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fit_outer_size_once();
    if (size_changed_)
        size_changed_();
}

void MainWindow::bind_events()
{
    AppState& s = state_;
    MainWindow& w = *this;
    created_ = [&] { register_drop_target(w); };
    size_changed_ = [&] { layout_window(w); };
    about_to_be_destroyed_ = [&] { revoke_drop_target(w); };
    拖放对象1.on_file_dropped([&](const std::string& path) { image_dropped(s, w, path); });
    按钮1.on_clicked([&] { open_image_dialog(s, w); });
    图片框1.on_double_clicked([&] { open_image_dialog(s, w); });
    画板1.on_double_clicked([&] { open_image_dialog(s, w); });
    画板1.on_left_pressed([&] { drag_preview(w); });
    外形框1.on_left_pressed([&] { drag_panel(w); });
    编辑框2.on_text_changed([&] { sync_quality_from_edit(s, w); });
    横向滚动条1.on_position_changed([&] { sync_quality_from_spinner(w); });
    滑块条1.on_position_changed([&] { sync_quality_from_slider(s, w); });
    组合框1.on_item_selected([&] { apply_compression_ratio(s, w); });
    滑块条2.on_position_changed([&] { apply_zoom(s, w); });
    按钮2.on_clicked([&] { save_image(s, w); });
    按钮3.on_clicked([&] { save_image_as(s, w); });
}
