#pragma once
// Writing the picture: over current_path in the format its extension names ("保存"), or to a
// file chosen in the save dialog ("另存为"). Only the extensions bmp, gif, jpg, png and ico,
// exactly so spelled, are written.

struct AppState;
class MainWindow;

// Writes over current_path and rewrites the status line; the path shows there only when the
// file was written.
void save_image(AppState& state, MainWindow& window);

// Shows the save dialog with a preset name and writes the chosen file; changes nothing on screen.
void save_image_as(AppState& state, MainWindow& window);
