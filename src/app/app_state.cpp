#include "app/app_state.h"

void create_image_object(AppState& state)
{
    state.image = std::make_unique<ImageObject>();
}

void release_resources(AppState& state)
{
    state.current_path = std::string();
    if (state.image) {
        ImageLibrary::release(*state.image);
        state.image.reset();
    }
    state.preview_bytes = QByteArray();
}
