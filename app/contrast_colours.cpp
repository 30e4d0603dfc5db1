// The colours a page is drawn in: the stored ones, or the system's in high-contrast mode.
#include "app/contrast_colours.h"

#include <algorithm>

// The slots replaced below all lie before the picture palette, which is never replaced.
static_assert(COLOUR_LINK_SLOTS <= COLOUR_TXTCOLOR && COLOUR_TXTCOLOR < COLOUR_PALETTE &&
                  COLOUR_GTXTCOLOR < COLOUR_PALETTE && COLOUR_BCKCOLOR < COLOUR_PALETTE &&
                  COLOUR_POPCOLOR < COLOUR_PALETTE,
              "the link, text and background slots precede the picture palette");

ColourSet colours_in_effect(const uint32_t (&stored)[COLOUR_TABLE_SIZE],
                            const SystemColours& system, bool high_contrast) {
    ColourSet set;
    std::copy(std::begin(stored), std::end(stored), std::begin(set.table));
    if (!high_contrast) return set;

    // One colour for every kind of link: the kinds' stored colours tell them apart, but in
    // high contrast the user chose a single link colour that stands out from the text.
    std::fill(set.table, set.table + COLOUR_LINK_SLOTS, system.hot_light);
    set.table[COLOUR_TXTCOLOR] = system.window_text;
    set.table[COLOUR_GTXTCOLOR] = system.gray_text;
    set.table[COLOUR_BCKCOLOR] = system.window;
    set.table[COLOUR_POPCOLOR] = system.window;
    set.marks_inverted = false;
    set.highlight = system.highlight;
    set.highlight_text = system.highlight_text;
    return set;
}
