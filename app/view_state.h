// What the main window shows and where: the view state, and the facts that enable commands.
#pragma once

#include <cstdint>

#include "app/command_table.h"
#include "hyp/document.h"

struct ViewState {
    int32_t current_page = 0;     // index of the entry shown
    int32_t top_line = 0;         // first display line shown (vertical position, in lines)
    int32_t left_column = 0;      // horizontal position, in cells of cell_width
    uint16_t selected_link = 0;   // 1-based ordinal of the keyboard-selected link; 0 none
    int32_t max_top_line = 0;     // vertical range maximum
    int32_t max_left_column = 0;  // horizontal range maximum
    int32_t client_width = 0;     // client area in pixels, from the last resize
    int32_t client_height = 0;
    int32_t document_width = 0;  // (line_width + 2) x cell_width pixels
    // The table the open hypertext's texts are shown with on screen, in menus and in messages:
    // screen_conversion of its set, set with each hypertext opened.
    unsigned conversion = 0;
};

// The entry named exactly "Index" among 0 .. last_node_index, if any.
std::optional<uint16_t> index_page(const HypDocument& doc);

// The help page: for the "@help" headers in file order, the first entry 0 .. last_node_index
// named exactly as the header's text; the first header that names an entry decides.
std::optional<uint16_t> help_page(const HypDocument& doc);

// Whether some "@help" header names an entry that is not `current_page` (the picture button
// and the menu item are available then).
bool help_page_elsewhere(const HypDocument& doc, int32_t current_page);

// The enable facts for the shown page of `doc`.
EnableState compute_enable_state(const HypDocument& doc, const ViewState& view,
                                 bool history_not_empty, bool bookmark_set);
