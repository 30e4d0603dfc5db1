// The character cell every position on screen and paper is measured in.
#pragma once

#include <cstdint>

// Filled by the font measurement at start-up and after every font change; the printer and the
// preview keep their own copy for their fonts. Positions are column x cell_width and display
// line x line_height, whichever font a run is drawn in.
struct ScreenMetrics {
    int32_t char_width = 0;   // average character width of the text font
    int32_t line_height = 0;  // height plus external leading of the text font: the vertical unit
    int32_t cell_width = 0;   // average character width of XFONT: the horizontal unit
};
