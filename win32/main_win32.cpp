// The program entry of the Windows viewer.
#include <windows.h>

#include "win32/viewer_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command) {
    if (!start_viewer(instance, command_line, show_command)) return 1;
    const int code = run_message_loop();
    shutdown_viewer();
    return code;
}
