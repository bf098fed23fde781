#pragma once
// The program's one window: the preview area with the canvas, the floating control panel, the
// status line, the file dialog and the drop target. The controls are public so that handlers
// (and tests) reach them by their names; their events are bound in one table in bind_events().
// The window refers to the program's state, which outlives it.

#include "ui/canvas.h"
#include "ui/controls.h"
#include "ui/file_input.h"

#include <QWidget>

struct AppState;

// Where a load and a zoom put the canvas inside the preview area.
inline constexpr int canvas_home_left = 195;
inline constexpr int canvas_home_top = 5;

class MainWindow : public QWidget {
public:
    explicit MainWindow(AppState& state);
    ~MainWindow() override;

    // The window's outer size, frame and title bar included where the platform reports them.
    int outer_width() const;
    int outer_height() const;

    MouseArea 图片框1;
    DrawPanel 画板1;
    DropTarget 拖放对象1;
    MouseArea 外形框1;
    EditBox 编辑框1;
    Button 按钮1;
    Label 标签2;
    EditBox 编辑框2;
    Slider 横向滚动条1;
    Slider 滑块条1;
    Label 标签3;
    ComboBox 组合框1;
    Label 标签4;
    Label 标签5;
    Label 标签6;
    Slider 滑块条2;
    Button 按钮2;
    Button 按钮3;
    Label 状态;
    FileDialog 通用对话框1;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void bind_events();
    void fit_outer_size_once();

    AppState& state_;
    Handler created_;
    Handler size_changed_;
    Handler about_to_be_destroyed_;
    bool outer_size_fixed_{false};
};
