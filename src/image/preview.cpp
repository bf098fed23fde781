#include "image/preview.h"

#include "app/app_state.h"
#include "image/file_names.h"
#include "ui/main_window.h"

void refresh_preview(AppState& state, MainWindow& window)
{
    ImageObject& image = *state.image;
    ImageLibrary::encode(image, state.preview_bytes, ImageFormat::Jpeg);
    ImageLibrary::set_compression_ratio(image, static_cast<std::uint8_t>(text_to_int(window.组合框1.text())));
    ImageLibrary::set_quality(image, static_cast<std::uint8_t>(window.滑块条1.position()));

    const Picture picture = Picture::from_bytes(state.preview_bytes);
    window.画板1.draw(picture, 0, 0, window.画板1.width(), window.画板1.height());
    window.标签5.set_caption(size_text(state.preview_bytes.size()));
    window.状态.set_caption(resolution_segment(window.画板1.width(), window.画板1.height()) +
                            size_segment(window.标签5.caption()));
}
