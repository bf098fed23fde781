#pragma once
// The program's own state for the whole run: one record, created empty by run_application and
// released once by release_resources. Handlers read and write its fields directly.

#include "image/image_library.h"

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <string>

struct AppState {
    std::string current_path;            // never empty again once a path was chosen
    std::unique_ptr<ImageObject> image;  // the one image object of the run
    std::int32_t image_width{0};         // the picture's size as reported after the last load
    std::int32_t image_height{0};
    QByteArray preview_bytes;            // the most recent JPEG encoding; empty before the first
};

// Makes the empty image object (handle 0) without any call into the library.
void create_image_object(AppState& state);

// Frees the state in order: the path, the image object (released by the library, then freed),
// the preview bytes. Safe on a state that never loaded anything.
void release_resources(AppState& state);
