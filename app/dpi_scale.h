// Sizes made for a 96-dpi screen, scaled to the window's screen; fonts keep their point size.
#pragma once

#include <cstdint>

#include "settings/settings_layout.h"

// The screen every stored pixel size and every picture of the resources was made for.
constexpr int32_t BASE_DPI = 96;

// `pixels` at 96 dpi on a screen of `dpi`, rounded to the nearest pixel (halves away from 0);
// a dpi of 0 or less (not known) counts as 96, so nothing changes then.
int32_t scale_to_dpi(int32_t pixels, int32_t dpi);

// A stored font record as the screen of `dpi` draws it: its height and width in that screen's
// pixels, so that its point size stays. The stored record keeps its 96-dpi meaning.
LogFontRecord font_for_dpi(const LogFontRecord& font, int32_t dpi);

// The pixel sizes of the main window that are not text, on a screen of `dpi`.
struct WindowPixelSizes {
    int32_t button_width;  // a picture button of the menu bar's second row
    int32_t button_height;
    int32_t line_width;   // the pen of line graphics and image-link frames
    int32_t cursor_size;  // the link cursors, square (their hot spots follow)
};
WindowPixelSizes window_pixel_sizes(int32_t dpi);

// The pictures of the resources, as made: the buttons 32 x 24, the cursors 32 x 32.
constexpr int32_t BUTTON_PICTURE_WIDTH = 32;
constexpr int32_t BUTTON_PICTURE_HEIGHT = 24;
constexpr int32_t CURSOR_PICTURE_SIZE = 32;
