// The colours a page is drawn in: the stored ones, or the system's in high-contrast mode.
#pragma once

#include <cstdint>

#include "settings/settings.h"

// The system colours high-contrast mode draws pages in, as 0x00BBGGRR.
struct SystemColours {
    uint32_t window = 0;          // page and popup background
    uint32_t window_text = 0;     // text
    uint32_t gray_text = 0;       // ghosted text and its shadow
    uint32_t hot_light = 0;       // links of every kind
    uint32_t highlight = 0;       // background of the selected link and the search's find
    uint32_t highlight_text = 0;  // their text
};

// The colours in effect, slot by slot as the stored colour table (COLOUR_TXTCOLOR ...), and how
// the selected link and the search's find are marked.
struct ColourSet {
    uint32_t table[COLOUR_TABLE_SIZE] = {};
    // Stored colours: the marks invert what is drawn. High contrast: they are filled with
    // `highlight` and their text drawn in `highlight_text` (an inversion of the system's colours
    // could give a pair the user cannot read).
    bool marks_inverted = true;
    uint32_t highlight = 0;
    uint32_t highlight_text = 0;
};

// The stored colours when `high_contrast` is off; otherwise the system's for text, ghosted text,
// links and the two backgrounds. Either way the picture palette stays the stored one: pictures
// are drawn as they are. The stored table itself is never changed, so the stored colours come
// back when the mode goes off.
ColourSet colours_in_effect(const uint32_t (&stored)[COLOUR_TABLE_SIZE],
                            const SystemColours& system, bool high_contrast);
