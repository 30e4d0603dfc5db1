// The window's screen resolution: what it is, and the sizes, pictures and fonts made for it.
#pragma once

#include <windows.h>

#include "settings/settings_layout.h"

// The DPI of `hwnd`'s screen (of the system before there is a window); 96 where the system
// cannot tell. Functions the oldest systems lack are looked up at run time.
int window_dpi(HWND hwnd);

// Loads the picture buttons' bitmaps for the viewer's dpi (stretched in whole pixels from the
// 96-dpi pictures when the screen is another), replacing any loaded before.
void load_toolbar_bitmaps();

// Loads the two link cursors at the size of the viewer's dpi.
void load_link_cursors();

// Measures the display fonts as measure_fonts does and makes the screen's copies of them at
// the viewer's dpi; the viewer's metrics then holds the screen's pixels.
void measure_screen_fonts();

// The records the window and the popup draw with: at 96 dpi the display fonts themselves (the
// text font or XFONT, and XFONT), on other screens their copies made by measure_screen_fonts.
LogFontRecord& screen_text_font();
LogFontRecord& screen_alt_font();
