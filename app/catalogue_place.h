// Where the catalogue window first opens: beside the main window, inside the screen's work area.
#pragma once

#include <cstdint>

// A rectangle in screen pixels; right and bottom lie just outside it.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The catalogue's place when none is stored: `width` pixels wide and as tall as `main` (clipped
// to the work area), right of the main window when it fits there, else left of it, else against
// the work area's right edge (over the main window: the reader sees at least its left part).
ScreenRect catalogue_beside(const ScreenRect& main, const ScreenRect& work, int32_t width);
