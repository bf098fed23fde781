#include "image/saving.h"

#include "app/app_state.h"
#include "image/file_names.h"
#include "ui/main_window.h"

void save_image(AppState& state, MainWindow& window)
{
    const std::string extension = file_extension(state.current_path);
    if (extension.empty())
        return;
    const ImageFormat format = format_for_extension(extension);
    std::string saved_path;
    if (format != ImageFormat::Unknown && ImageLibrary::save_file(*state.image, state.current_path, format))
        saved_path = state.current_path;
    window.状态.set_caption(resolution_segment(window.画板1.width(), window.画板1.height()) +
                            size_segment(window.标签5.caption()) + path_segment(saved_path));
}

void save_image_as(AppState& state, MainWindow& window)
{
    FileDialog& dialog = window.通用对话框1;
    dialog.set_filter_index(save_filter_index);
    dialog.set_file_name(default_save_name(state.current_path));
    dialog.set_type(FileDialog::Save);
    dialog.set_filter(save_filter);
    dialog.set_option(1);  // ask before overwriting an existing file
    dialog.show();
    const std::string extension = file_extension(dialog.file_name());
    if (extension.empty())
        return;
    const ImageFormat format = format_for_extension(extension);
    if (format == ImageFormat::Unknown)
        return;
    ImageLibrary::save_file(*state.image, dialog.file_name(), format);
}
