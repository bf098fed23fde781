#pragma once
// Bringing a picture in: the open dialog, a dropped file, and the load that fills the window.
// The path chosen or dropped replaces current_path before the load runs.

#include <string>

struct AppState;
class MainWindow;

// Shows the open dialog; a chosen file becomes current_path and is loaded. Cancel changes nothing.
void open_image_dialog(AppState& state, MainWindow& window);

// A file dropped on the window; an empty path changes nothing.
void image_dropped(AppState& state, MainWindow& window, const std::string& path);

// Loads current_path into the image object and fills the canvas, the panel and the status line.
// A path whose extension is empty (it ends in ".") loads nothing and changes no control.
void load_image(AppState& state, MainWindow& window);

void register_drop_target(MainWindow& window);
void revoke_drop_target(MainWindow& window);
