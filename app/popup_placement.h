// Size and place of the popup window: sized to the node's text, centred on the click, on screen.
#pragma once

#include <cstdint>

// The system measures the popup's frame and the screen by (pixels).
struct PopupSystemMetrics {
    int32_t frame_width = 0;   // width of a dialog frame (one side)
    int32_t frame_height = 0;  // height of a dialog frame (one side)
    int32_t screen_width = 0;
    int32_t screen_height = 0;
};

// The popup's frame in screen coordinates.
struct PopupRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Width: both frames and the widest line with a blank column each side; height: three frame
// heights and the lines. Centred on (point_x, point_y) and pushed inside the screen; a popup
// larger than the screen keeps its right or bottom edge on the screen's edge. A page that
// was never laid out (-1) counts as empty.
PopupRect place_popup(int32_t max_columns, int32_t line_count, int32_t cell_width,
                      int32_t line_height, int32_t point_x, int32_t point_y,
                      const PopupSystemMetrics& system);
