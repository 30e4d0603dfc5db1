// The window's screen resolution: what it is, and the sizes, pictures and fonts made for it.
#pragma once

#include <windows.h>

#include "settings/settings_layout.h"

// The DPI of `hwnd`'s screen (of the system before there is a window); 96 where the system
// cannot tell. Functions the oldest systems lack are looked up at run time.
int window_dpi(HWND hwnd);

// Loads the picture buttons' bitmaps for viewer.dpi (stretched in whole pixels from the 96-dpi
// pictures when the screen is another), replacing any loaded before.
void load_toolbar_bitmaps();

// Loads the two link cursors at the size of viewer.dpi.
void load_link_cursors();

// Measures the display fonts as measure_fonts does and makes the screen's copies of them at
// viewer.dpi; viewer.metrics then holds the screen's pixels.
void measure_screen_fonts();

// The records the window and the popup draw with: at 96 dpi the display fonts themselves (the
// text font or XFONT, and XFONT), on other screens their copies made by measure_screen_fonts.
LogFontRecord& screen_text_font();
LogFontRecord& screen_alt_font();

// After the main window was created: when its screen has another DPI than the system's, the
// pictures, cursors and fonts are made again for it.
void adopt_window_dpi(HWND hwnd);

// WM_DPICHANGED: the window moved to a screen of another DPI. The pictures and cursors are
// made again, the window takes the suggested rectangle, the page is laid out again with its
// top line kept.
void on_dpi_changed(HWND hwnd, WPARAM wparam, LPARAM lparam);
