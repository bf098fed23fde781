#include "ui/quality_controls.h"

#include "app/app_state.h"
#include "image/file_names.h"
#include "image/preview.h"
#include "ui/main_window.h"

#include <string>

void sync_quality_from_slider(AppState& state, MainWindow& window)
{
    window.编辑框2.set_text(std::to_string(window.滑块条1.position()));
    window.横向滚动条1.set_position(window.滑块条1.position());
    refresh_preview(state, window);
}

void sync_quality_from_edit(AppState& state, MainWindow& window)
{
    window.滑块条1.set_position(text_to_int(window.编辑框2.text()));
    refresh_preview(state, window);
}

void sync_quality_from_spinner(MainWindow& window)
{
    window.编辑框2.set_text(std::to_string(window.横向滚动条1.position()));
}

void apply_compression_ratio(AppState& state, MainWindow& window)
{
    const auto ratio = static_cast<std::uint8_t>(text_to_int(window.组合框1.text()));
    ImageLibrary::set_compression_ratio(*state.image, ratio);
}
