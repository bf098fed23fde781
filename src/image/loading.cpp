#include "image/loading.h"

#include "app/app_state.h"
#include "image/file_names.h"
#include "image/preview.h"
#include "ui/main_window.h"

void open_image_dialog(AppState& state, MainWindow& window)
{
    window.通用对话框1.set_type(FileDialog::Open);
    window.通用对话框1.set_filter(open_filter);
    window.通用对话框1.show();
    std::string chosen = window.通用对话框1.file_name();
    if (chosen.empty())
        return;
    state.current_path = std::move(chosen);
    load_image(state, window);
}

void image_dropped(AppState& state, MainWindow& window, const std::string& path)
{
    if (path.empty())
        return;
    state.current_path = path;
    load_image(state, window);
}

void load_image(AppState& state, MainWindow& window)
{
    const std::string extension = file_extension(state.current_path);
    if (extension.empty())
        return;
    const ImageFormat format = format_for_extension(extension);
    ImageObject& image = *state.image;
    ImageLibrary::load_file(image, state.current_path, format);
    state.image_width = ImageLibrary::width(image);
    state.image_height = ImageLibrary::height(image);

    window.画板1.move(canvas_home_left, canvas_home_top, state.image_width, state.image_height);
    window.状态.set_caption(resolution_segment(window.画板1.width(), window.画板1.height()));
    window.编辑框1.set_text(state.current_path);
    window.组合框1.set_text(std::to_string(ImageLibrary::compression_ratio(image)));
    // The write runs sync_quality_from_edit, and with it a first refresh, before it returns.
    window.编辑框2.set_text(std::to_string(ImageLibrary::quality(image)));
    window.横向滚动条1.set_position(text_to_int(window.编辑框2.text()));

    ImageLibrary::encode(image, state.preview_bytes, ImageFormat::Jpeg);
    window.画板1.set_background(state.preview_bytes);
    refresh_preview(state, window);
}

void register_drop_target(MainWindow& window)
{
    window.拖放对象1.register_window(&window);
}

void revoke_drop_target(MainWindow& window)
{
    window.拖放对象1.revoke();
}
