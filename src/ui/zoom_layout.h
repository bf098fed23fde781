#pragma once
// Geometry only: the zoom slider scales the canvas against the picture's size, a resize of the
// window lays it out again, and a left press on the panel or the canvas drags it with the mouse.
// None of these encodes, draws or calls the image library.

struct AppState;
class MainWindow;

// Canvas size at zoom percent z: (size / 100.0) * z, truncated; 29 px at 100 gives 28.
int zoomed_size(int size, int percent);

void apply_zoom(AppState& state, MainWindow& window);
void layout_window(MainWindow& window);
void drag_panel(MainWindow& window);
void drag_preview(MainWindow& window);
