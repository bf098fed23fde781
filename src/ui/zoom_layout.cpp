#include "ui/zoom_layout.h"

#include "app/app_state.h"
#include "image/file_names.h"
#include "ui/main_window.h"

namespace {

constexpr int status_height = 24;
constexpr int status_above_bottom = 58;

}  // namespace

int zoomed_size(int size, int percent)
{
    // Dividing first is what the zoom has always done; it can come out one pixel smaller.
    const double per_percent = static_cast<double>(size) / 100.0;
    return static_cast<int>(per_percent * percent);
}

void apply_zoom(AppState& state, MainWindow& window)
{
    const int zoom = window.滑块条2.position();
    window.标签6.set_caption(zoom_caption(zoom));
    window.画板1.move(canvas_home_left, canvas_home_top, zoomed_size(state.image_width, zoom),
                      zoomed_size(state.image_height, zoom));
    window.状态.set_caption(resolution_segment(state.image_width, state.image_height) +
                            size_segment(window.标签5.caption()) +
                            zoom_segment(window.画板1.width(), window.画板1.height()));
}

void layout_window(MainWindow& window)
{
    const int height = window.outer_height();
    const int width = window.outer_width();
    window.状态.move(0, height - status_above_bottom, width, status_height);
    window.图片框1.move(0, 0, width, height);
}

void drag_panel(MainWindow& window)
{
    window.外形框1.drag_with_mouse();
}

void drag_preview(MainWindow& window)
{
    window.画板1.drag_with_mouse();
}
