// The main window's wheel messages.
#pragma once

#include <windows.h>

// WM_MOUSEWHEEL and WM_MOUSEHWHEEL: scrolling, or with Ctrl the fonts larger and smaller; an
// open popup is closed first.
void on_mouse_wheel(UINT message, WPARAM wparam);
