#pragma once
// Re-encodes the picture as JPEG with the settings the library holds, then passes the ratio and
// quality shown in the panel on to the library, draws the encoding over the whole canvas and
// writes its size into the size label and the status line. The settings passed on govern the
// next encoding, not this one.

struct AppState;
class MainWindow;

void refresh_preview(AppState& state, MainWindow& window);
