#pragma once
// The program's start and end: creates the state and the window, runs the event loop until the
// window is closed, then releases the state. Returns the process's exit code (0).

int run_application(int& argc, char** argv);
