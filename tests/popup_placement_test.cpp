// Size and place of the popup window: centred on the point, pushed inside the screen.
#include "app/popup_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(PopupPlacement, SizedToTheTextCentredAndOnScreen) {
    // Frames of 3 x 3 pixels, a 1024 x 768 screen, cells of 8 and lines of 16 pixels.
    const PopupSystemMetrics system{3, 3, 1024, 768};
    struct Case {
        const char* name;
        int32_t columns, lines, px, py;
        PopupRect expected;
    };
    const Case cases[] = {
        // 22 cells plus two frames wide, three frames plus 3 lines high.
        {"centred on the screen centre", 20, 3, 512, 384, {512 - 91, 384 - 28, 182, 57}},
        {"odd sizes: halves truncated", 21, 3, 100, 100, {100 - 95, 100 - 28, 190, 57}},
        {"near the right edge: moved left", 20, 3, 1020, 384, {1024 - 182, 356, 182, 57}},
        {"near the left and top edges", 20, 3, 10, 5, {0, 0, 182, 57}},
        {"near the bottom edge", 20, 3, 300, 760, {209, 768 - 57, 182, 57}},
        {"taller than the screen: bottom on the bottom edge",
         10,
         60,
         500,
         300,
         {500 - 51, 768 - 969, 102, 969}},
        {"wider than the screen: right edge on the right edge",
         200,
         1,
         500,
         300,
         {1024 - 1622, 300 - 12, 1622, 25}},
        {"never laid out", -1, -1, 512, 384, {512 - 11, 384 - 4, 22, 9}},
    };
    for (const Case& c : cases) {
        const PopupRect r = place_popup(c.columns, c.lines, 8, 16, c.px, c.py, system);
        EXPECT_EQ(r.x, c.expected.x) << c.name;
        EXPECT_EQ(r.y, c.expected.y) << c.name;
        EXPECT_EQ(r.width, c.expected.width) << c.name;
        EXPECT_EQ(r.height, c.expected.height) << c.name;
    }
}

}  // namespace
