// Finding the viewer's windows from a test program that runs beside it (the window probes).
#pragma once

#include <windows.h>

#include <string>

namespace probe {

// The running viewer's main window, or nullptr.
inline HWND find_main() {
    return FindWindowA("Vellumar", nullptr);
}

inline DWORD process_of(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

// A window's text; a hung window gives up after two seconds instead of hanging the probe.
inline std::string text_of(HWND hwnd) {
    char buffer[8192] = {};
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return buffer;
}

}  // namespace probe
