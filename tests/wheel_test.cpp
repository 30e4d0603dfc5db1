// Wheel notches and partial deltas to scroll steps, and the Ctrl+wheel font zoom.
#include "app/wheel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Wheel, DeltasToSteps) {
    // A page of 500 pixels, 20 per line: 25 lines fit; 100 lines below the top are left.
    const ScrollAxis middle{50, 150, 500, 20};
    struct Case {
        const char* name;
        std::vector<int32_t> deltas;  // one wheel message each
        uint32_t setting;
        ScrollAxis axis;
        WheelAxis direction;
        std::vector<int32_t> steps;  // what each message moves
    };
    const Case cases[] = {
        {"one notch toward the user: three lines down",
         {-120},
         3,
         middle,
         WheelAxis::Vertical,
         {3}},
        {"one notch away: three lines up", {120}, 3, middle, WheelAxis::Vertical, {-3}},
        {"four of 30 move as one of 120",
         {-30, -30, -30, -30},
         3,
         middle,
         WheelAxis::Vertical,
         {0, 1, 1, 1}},
        {"a fine wheel of 1/8 notch, one line per notch",
         {-15, -15, -15, -15, -15, -15, -15, -15},
         1,
         middle,
         WheelAxis::Vertical,
         {0, 0, 0, 0, 0, 0, 0, 1}},
        {"remainder dropped on turning", {-60, 30, 90}, 1, middle, WheelAxis::Vertical, {0, 0, -1}},
        {"two notches in one message", {-240}, 3, middle, WheelAxis::Vertical, {6}},
        {"page setting: one window height",
         {-120},
         WHEEL_SCROLL_PAGES,
         middle,
         WheelAxis::Vertical,
         {25}},
        {"a setting over a page scrolls a page", {-120}, 40, middle, WheelAxis::Vertical, {25}},
        {"setting 0 scrolls nothing", {-120, -120}, 0, middle, WheelAxis::Vertical, {0, 0}},
        {"stops at the end where the bar stops",
         {-120, -120},
         3,
         {146, 150, 500, 20},
         WheelAxis::Vertical,
         {3, 1}},
        {"stops at the start", {120}, 3, {2, 150, 500, 20}, WheelAxis::Vertical, {-2}},
        {"short page: nothing", {-120}, 3, {0, 0, 500, 20}, WheelAxis::Vertical, {0}},
        {"tilted right: columns right", {120}, 3, {0, 40, 500, 10}, WheelAxis::Horizontal, {3}},
        {"tilted left at the left edge", {-120}, 3, {0, 40, 500, 10}, WheelAxis::Horizontal, {0}},
        {"window lower than a line: page of one",
         {-120},
         WHEEL_SCROLL_PAGES,
         {0, 9, 5, 20},
         WheelAxis::Vertical,
         {1}},
    };
    for (const Case& c : cases) {
        WheelAccumulator accumulator;
        ScrollAxis axis = c.axis;
        std::vector<int32_t> steps;
        for (int32_t delta : c.deltas) {
            const int32_t step =
                wheel_scroll_step(accumulator, c.direction, delta, c.setting, axis);
            axis.position += step;
            steps.push_back(step);
        }
        EXPECT_EQ(steps, c.steps) << c.name;
    }
}

LogFontRecord font_of(int32_t height, int32_t width = 0) {
    LogFontRecord font{};
    font.lfHeight = height;
    font.lfWidth = width;
    return font;
}

TEST(WheelZoom, HeightsInPoints) {
    struct Case {
        const char* name;
        int32_t height, width, notches;
        bool changed;
        int32_t new_height, new_width;
    };
    // Pixels at 96 dpi: 12 pt = 16 px, 13 pt = 17.3 px, 11 pt = 14.7 px, 6 pt = 8 px, 48 pt = 64.
    const Case cases[] = {
        {"12 pt one larger", -16, 0, 1, true, -17, 0},
        {"12 pt one smaller", -16, 0, -1, true, -15, 0},
        {"cell height keeps its sign", 16, 0, 2, true, 19, 0},
        {"width follows the height", -16, 8, 6, true, -24, 12},
        {"at the lower limit", -8, 0, -1, false, -8, 0},
        {"down to the lower limit", -10, 0, -5, true, -8, 0},
        {"at the upper limit", -64, 0, 1, false, -64, 0},
        {"up to the upper limit", -60, 0, 9, true, -64, 0},
        {"no notch", -16, 0, 0, false, -16, 0},
        {"height 0 (the font's own) stays", 0, 0, 1, false, 0, 0},
        {"a damaged height is taken as the limit", -2147483647 - 1, 5, -1, true, -64, 1},
    };
    for (const Case& c : cases) {
        LogFontRecord font = font_of(c.height, c.width);
        EXPECT_EQ(zoom_font_height(font, c.notches), c.changed) << c.name;
        EXPECT_EQ(font.lfHeight, c.new_height) << c.name;
        EXPECT_EQ(font.lfWidth, c.new_width) << c.name;
    }
}

TEST(WheelZoom, BothFontsOneHeight) {
    LogFontRecord font = font_of(-16), xfont = font_of(-13, 8);
    ASSERT_TRUE(zoom_display_fonts(font, xfont, 2));
    EXPECT_EQ(font.lfHeight, -19);  // 14 pt
    EXPECT_EQ(xfont.lfHeight, -19);
    EXPECT_EQ(xfont.lfWidth, 12);  // 8 x 19 / 13 = 11.7
    LogFontRecord at_limit = font_of(-64), other = font_of(-16);
    EXPECT_FALSE(zoom_display_fonts(at_limit, other, 1));
    EXPECT_EQ(other.lfHeight, -16);  // untouched when nothing changes
}

}  // namespace
