#pragma once
// The program's start and end: creates the state and the window, runs the event loop until the
// window is closed, then releases the state. Returns the process's exit code (0).

int run_application(int& argc, char** argv);

// Has big blocks (decoded pictures, the JPEG encoder's buffers) handed back to the system as soon
// as they are freed, so that memory use stays near what is alive. run_application calls it.
void return_big_blocks_to_the_system();
