// Scroll arithmetic of the main window: ranges, steps per scroll-bar code, clamping.
#pragma once

#include <cstdint>

// Scroll-bar request codes, numbered as the platform numbers them (SB_LINEUP ... SB_ENDSCROLL);
// the horizontal codes (SB_LINELEFT ...) have the same numbers.
enum ScrollCode : int {
    SCROLL_LINE_BACK = 0,
    SCROLL_LINE_FORWARD = 1,
    SCROLL_PAGE_BACK = 2,
    SCROLL_PAGE_FORWARD = 3,
    SCROLL_THUMB_POSITION = 4,
    SCROLL_THUMB_TRACK = 5,
    SCROLL_TO_START = 6,
    SCROLL_TO_END = 7,
    SCROLL_END = 8,
};

// The vertical range maximum: the page's lines plus one below the last, less the lines that fit
// the client height. Never negative. A line height of 0 or less counts as 1.
int32_t max_top_line_for(int32_t line_count, int32_t client_height, int32_t line_height);

// The document width in pixels: the hypertext's line width plus a column of margin each side.
int32_t document_width_for(int32_t line_width, int32_t cell_width);

// The horizontal range maximum in cells. Never negative; a cell width of 0 or less counts as 1.
int32_t max_left_column_for(int32_t document_width, int32_t client_width, int32_t cell_width);

// One axis: position and maximum in units (lines or cells), the client extent in pixels and the
// unit's size in pixels.
struct ScrollAxis {
    int32_t position = 0;
    int32_t maximum = 0;
    int32_t client_pixels = 0;
    int32_t unit_pixels = 1;
};

// The step a scroll-bar code asks for, before clamping: one unit per line code, the units that
// fit the client area per page code (at least 1), to the thumb, to either end; 0 for the
// others. `thumb` is the thumb position of SCROLL_THUMB_TRACK.
int32_t scroll_request(int code, const ScrollAxis& axis, int32_t thumb);

// Clamps a step so that the position stays within 0 .. maximum.
int32_t clamp_scroll_step(int32_t step, const ScrollAxis& axis);

// scroll_request followed by clamp_scroll_step: the distance the position actually moves.
int32_t scroll_step(int code, const ScrollAxis& axis, int32_t thumb);
