// The popup window's procedure. Popups are not opened yet; the class exists from start-up.
#include "app/popup_window_win32.h"

LRESULT CALLBACK popup_window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

void open_popup_window(uint16_t, POINT) {}
