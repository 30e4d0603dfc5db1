// The colour set in effect: the stored colours, or the system's in high-contrast mode.
#include "app/contrast_colours.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr SystemColours kSystem{0x000000 /*window*/,    0xFFFFFF /*window text*/,
                                0x00FF00 /*gray text*/, 0x00FFFF /*hot light*/,
                                0xFF0000 /*highlight*/, 0x000001 /*highlight text*/};

TEST(ContrastColours, SlotBySlotAndTheMarks) {
    // Stored colours that differ from each other and from every system colour.
    uint32_t stored[COLOUR_TABLE_SIZE];
    for (size_t slot = 0; slot < COLOUR_TABLE_SIZE; ++slot) stored[slot] = 0x100000u + slot;
    const ColourSet off = colours_in_effect(stored, kSystem, false);
    const ColourSet on = colours_in_effect(stored, kSystem, true);
    for (size_t slot = 0; slot < COLOUR_TABLE_SIZE; ++slot) {
        // Links of all eight entry kinds, then text, ghosted text, window and popup background;
        // the picture palette after them keeps the stored colours.
        const uint32_t expected = slot < 8     ? kSystem.hot_light
                                  : slot == 8  ? kSystem.window_text
                                  : slot == 9  ? kSystem.gray_text
                                  : slot <= 11 ? kSystem.window
                                               : stored[slot];
        SCOPED_TRACE("slot " + std::to_string(slot));
        EXPECT_EQ(off.table[slot], stored[slot]);
        EXPECT_EQ(on.table[slot], expected);
    }
    EXPECT_TRUE(off.marks_inverted);
    EXPECT_FALSE(on.marks_inverted);
    EXPECT_EQ(on.highlight, kSystem.highlight);
    EXPECT_EQ(on.highlight_text, kSystem.highlight_text);
}

}  // namespace
