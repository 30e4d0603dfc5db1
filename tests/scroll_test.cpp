// The main window's scroll ranges and steps.
#include "app/scroll.h"

#include <gtest/gtest.h>

namespace {

TEST(ScrollRanges, Cases) {
    struct Case {
        const char* name;
        int32_t line_count, client_height, line_height, expected;
    };
    const Case vertical[] = {
        {"page shorter than window", 10, 400, 20, 0},
        {"exactly one line more", 20, 400, 20, 1},
        {"long page", 100, 400, 20, 81},
        {"partial line does not count", 100, 419, 20, 81},
        {"zero line height counts as 1", 5, 3, 0, 3},
        {"empty page", 0, 0, 16, 1},
    };
    for (const Case& c : vertical) {
        EXPECT_EQ(max_top_line_for(c.line_count, c.client_height, c.line_height), c.expected)
            << c.name;
    }
    EXPECT_EQ(document_width_for(80, 10), 820);
    EXPECT_EQ(max_left_column_for(820, 500, 10), 32);
    EXPECT_EQ(max_left_column_for(820, 900, 10), 0);
    EXPECT_EQ(max_left_column_for(820, 815, 10), 0);  // 5 pixels: truncated to 0 cells
}

TEST(ScrollStep, TableOfCodes) {
    struct Case {
        const char* name;
        int code;
        ScrollAxis axis;  // position, maximum, client pixels, unit pixels
        int32_t thumb;
        int32_t expected;
    };
    const Case cases[] = {
        {"line down", SCROLL_LINE_FORWARD, {5, 50, 400, 20}, 0, 1},
        {"line up", SCROLL_LINE_BACK, {5, 50, 400, 20}, 0, -1},
        {"line up at top", SCROLL_LINE_BACK, {0, 50, 400, 20}, 0, 0},
        {"line down at bottom", SCROLL_LINE_FORWARD, {50, 50, 400, 20}, 0, 0},
        {"page down", SCROLL_PAGE_FORWARD, {0, 50, 400, 20}, 0, 20},
        {"page down clamped", SCROLL_PAGE_FORWARD, {40, 50, 400, 20}, 0, 10},
        {"page up clamped", SCROLL_PAGE_BACK, {7, 50, 400, 20}, 0, -7},
        {"page up", SCROLL_PAGE_BACK, {30, 50, 400, 20}, 0, -20},
        {"page narrower than a unit", SCROLL_PAGE_FORWARD, {0, 50, 5, 8}, 0, 1},
        {"page back narrower than a unit", SCROLL_PAGE_BACK, {3, 50, 5, 8}, 0, -1},
        {"thumb track", SCROLL_THUMB_TRACK, {10, 50, 400, 20}, 33, 23},
        {"thumb track beyond", SCROLL_THUMB_TRACK, {10, 50, 400, 20}, 99, 40},
        {"top", SCROLL_TO_START, {17, 50, 400, 20}, 0, -17},
        {"bottom", SCROLL_TO_END, {17, 50, 400, 20}, 0, 33},
        {"thumb position does nothing", SCROLL_THUMB_POSITION, {17, 50, 400, 20}, 3, 0},
        {"end scroll does nothing", SCROLL_END, {17, 50, 400, 20}, 3, 0},
        {"unknown code", 42, {17, 50, 400, 20}, 3, 0},
        {"short page: range 0", SCROLL_PAGE_FORWARD, {0, 0, 400, 20}, 0, 0},
        {"position beyond maximum moves back", SCROLL_LINE_FORWARD, {60, 50, 400, 20}, 0, -10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scroll_step(c.code, c.axis, c.thumb), c.expected) << c.name;
    }
}

}  // namespace
