// Keyboard link selection on a page's link areas, and correcting link lines after the line
// height or the picture scaling changes.
#pragma once

#include <cstdint>

#include "hyp/document.h"
#include "render/device.h"

// Direction codes of step_link_selection.
enum LinkDirection : int {
    LINK_FIRST = 0,
    LINK_LAST = 1,
    LINK_PREVIOUS = 2,
    LINK_NEXT = 3,
};

// The part of the page on screen: a link is on screen when
// top_line <= its line <= top_line + visible_lines (a partly visible last line counts), where
// visible_lines is the client height divided by the line height.
struct ScreenLines {
    int32_t top_line = 0;
    int32_t visible_lines = 0;

    bool shows(int32_t line) const { return line >= top_line && line <= top_line + visible_lines; }
};

// Where a link's area lies in the client area, in pixels: one line high, with the view's first
// line `top_line` and its horizontal position `left_column` cells (units of `line_height` and
// `cell_width` pixels). Parts may lie outside the client area.
DeviceRect link_client_rect(const LinkArea& area, int32_t top_line, int32_t left_column,
                            int32_t line_height, int32_t cell_width);

// The n-th link area of the entry (n = 0 gives the first); nullptr when there are fewer.
const LinkArea* link_at_ordinal(const IndexEntry& entry, unsigned n);

// The 1-based position of `area` in the entry's links; 0 when it is none or not in the list.
unsigned ordinal_of_link(const IndexEntry& entry, const LinkArea* area);

// The selection after one step from ordinal `current` (0 = none) in `direction`. Without
// `only_visible` the steps wrap over the whole list; with it they stay among the links on
// screen, and a selection that left the screen restarts at the first (forward) or last
// (backward) link on screen. 0 when the page has no links (or, with `only_visible`, none on
// screen).
uint16_t step_link_selection(uint16_t current, const IndexEntry& entry, int direction,
                             bool only_visible, const ScreenLines& screen);

// `ordinal` when it is 0, when `only_visible` is off or when that link is on screen; else 0.
uint16_t link_visible(uint16_t ordinal, const IndexEntry& entry, bool only_visible,
                      const ScreenLines& screen);

// After the line height changed from old_lh to new_lh, or picture scaling was switched
// (`scaling_changed`, now `scaling_now`): moves the line of every link area of every entry and
// every entry's line count by the difference in lines that the line-reserving pictures above
// take. With scaling on and unchanged nothing moves. Line heights of 0 or less change nothing.
void rescale_links(HypDocument& doc, int32_t new_lh, int32_t old_lh, bool scaling_now,
                   bool scaling_changed);
