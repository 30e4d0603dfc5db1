// Start-up, the message loop and shutdown of the Windows viewer.
#pragma once

#include <windows.h>

struct ViewerWindow;

// Start-up up to the first paint: settings, command line, the first hypertext (with its file
// dialog and message boxes), the window classes, the main window and its placement, all kept in
// `window`, which becomes the viewer's state object. Returns false when the user cancelled the
// first file dialog (nothing is created then).
bool start_viewer(ViewerWindow& window, HINSTANCE instance, const char* command_line,
                  int show_command);

// The message loop: every message passes the accelerators of the main window first. Returns
// the quit message's code.
int run_message_loop();

// Releases everything start_viewer created, the history and the document; the state object is
// the viewer's no more.
void shutdown_viewer();
