// The popup window that shows a popup node over the main window.
#pragma once

#include <windows.h>

#include <cstdint>

LRESULT CALLBACK popup_window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Opens the popup for `entry` centred on `point` (client coordinates of the main window).
void open_popup_window(uint16_t entry, POINT point);
