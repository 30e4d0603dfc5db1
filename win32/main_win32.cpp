// The program entry of the Windows viewer.
#include <windows.h>

#include <memory>

#include "win32/viewer_win32.h"
#include "win32/viewer_window_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command) {
    const auto window = std::make_unique<ViewerWindow>();
    if (!start_viewer(*window, instance, command_line, show_command)) return 1;
    const int code = run_message_loop();
    shutdown_viewer();
    return code;
}
