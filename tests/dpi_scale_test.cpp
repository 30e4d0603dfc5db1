// Pixel sizes made for 96 dpi on screens of 96, 120, 144 and 192 dpi; fonts keep their points.
#include "app/dpi_scale.h"

#include <gtest/gtest.h>

namespace {

TEST(DpiScale, WindowSizesAtEachScreen) {
    struct Case {
        int32_t dpi;
        WindowPixelSizes sizes;  // button width, height, line width, cursor size
    };
    // 100 %, 125 %, 150 %, 200 %; one pixel of line is still one at 125 %, 1.5 rounds to 2.
    const Case cases[] = {
        {96, {32, 24, 1, 32}},  {120, {40, 30, 1, 40}}, {144, {48, 36, 2, 48}},
        {192, {64, 48, 2, 64}}, {0, {32, 24, 1, 32}},  // not known: as at 96
    };
    for (const Case& c : cases) {
        const WindowPixelSizes s = window_pixel_sizes(c.dpi);
        EXPECT_EQ(s.button_width, c.sizes.button_width) << c.dpi;
        EXPECT_EQ(s.button_height, c.sizes.button_height) << c.dpi;
        EXPECT_EQ(s.line_width, c.sizes.line_width) << c.dpi;
        EXPECT_EQ(s.cursor_size, c.sizes.cursor_size) << c.dpi;
    }
}

TEST(DpiScale, FontKeepsItsPointSize) {
    LogFontRecord stored{};
    stored.lfHeight = -16;  // 12 pt at 96 dpi
    stored.lfWidth = 7;
    stored.lfWeight = 400;
    const LogFontRecord at144 = font_for_dpi(stored, 144);
    EXPECT_EQ(at144.lfHeight, -24);  // 12 pt at 144 dpi
    EXPECT_EQ(at144.lfWidth, 11);    // 10.5 rounds up
    EXPECT_EQ(at144.lfWeight, 400);
    EXPECT_EQ(stored.lfHeight, -16);  // the stored record keeps its meaning
    const LogFontRecord at96 = font_for_dpi(stored, 96);
    EXPECT_EQ(at96.lfHeight, -16);
    EXPECT_EQ(at96.lfWidth, 7);
}

}  // namespace
