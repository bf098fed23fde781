#pragma once
// Keeps the three quality controls (slider, edit box, spinner) in step and passes a chosen
// compression ratio to the library. The quality that reaches the library is always the slider's
// position; the edit box and the spinner are ways of moving it.

struct AppState;
class MainWindow;

// The slider moved: the edit box (and through it a refresh) and the spinner follow; a second
// refresh then shows the encoding at the slider's quality.
void sync_quality_from_slider(AppState& state, MainWindow& window);

// The edit box's text changed (typed or written by code): the slider takes its value; one refresh.
void sync_quality_from_edit(AppState& state, MainWindow& window);

// The spinner moved: its value is written into the edit box, whose handler does the rest.
void sync_quality_from_spinner(MainWindow& window);

// A ratio was chosen: the library gets it; the preview shows it from the next refresh on.
void apply_compression_ratio(AppState& state, MainWindow& window);
