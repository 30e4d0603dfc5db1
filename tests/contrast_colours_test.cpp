// The colour set in effect: the stored colours, or the system's in high-contrast mode.
#include "app/contrast_colours.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Stored colours that differ from each other and from every system colour below.
void fill_stored(uint32_t (&table)[COLOUR_TABLE_SIZE]) {
    for (size_t slot = 0; slot < COLOUR_TABLE_SIZE; ++slot) {
        table[slot] = 0x00100000u + static_cast<uint32_t>(slot);
    }
}

constexpr SystemColours kSystem{0x00000000u /*window: black*/, 0x00FFFFFFu /*window text*/,
                                0x0000FF00u /*gray text*/,     0x0000FFFFu /*hot light*/,
                                0x00FF0000u /*highlight*/,     0x00000001u /*highlight text*/};

TEST(ContrastColours, SlotBySlot) {
    uint32_t stored[COLOUR_TABLE_SIZE];
    fill_stored(stored);
    struct Case {
        const char* name;
        size_t slot;
        uint32_t high_contrast;  // the colour in effect in high-contrast mode
    };
    const Case cases[] = {
        {"links to pages", 0, kSystem.hot_light},
        {"links to popups", 1, kSystem.hot_light},
        {"links to external files", 2, kSystem.hot_light},
        {"links to images", 3, kSystem.hot_light},
        {"system arguments", 4, kSystem.hot_light},
        {"REXX scripts", 5, kSystem.hot_light},
        {"REXX commands", 6, kSystem.hot_light},
        {"quit entries", 7, kSystem.hot_light},
        {"text", 8, kSystem.window_text},
        {"ghosted text", 9, kSystem.gray_text},
        {"window background", 10, kSystem.window},
        {"popup background", 11, kSystem.window},
        {"picture palette, first", 12, stored[12]},
        {"picture palette, last", COLOUR_TABLE_SIZE - 1, stored[COLOUR_TABLE_SIZE - 1]},
    };
    const ColourSet off = colours_in_effect(stored, kSystem, false);
    const ColourSet on = colours_in_effect(stored, kSystem, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(off.table[c.slot], 0x00100000u + c.slot);
        EXPECT_EQ(on.table[c.slot], c.high_contrast);
    }
    // Every palette entry is the stored one in both modes: pictures are drawn as they are.
    for (size_t slot = COLOUR_PALETTE; slot < COLOUR_TABLE_SIZE; ++slot) {
        SCOPED_TRACE("palette slot " + std::to_string(slot));
        EXPECT_EQ(on.table[slot], stored[slot]);
    }
}

TEST(ContrastColours, MarksOfSelectionAndFind) {
    uint32_t stored[COLOUR_TABLE_SIZE];
    fill_stored(stored);
    const ColourSet off = colours_in_effect(stored, kSystem, false);
    EXPECT_TRUE(off.marks_inverted);
    const ColourSet on = colours_in_effect(stored, kSystem, true);
    EXPECT_FALSE(on.marks_inverted);
    EXPECT_EQ(on.highlight, kSystem.highlight);
    EXPECT_EQ(on.highlight_text, kSystem.highlight_text);
}

}  // namespace
