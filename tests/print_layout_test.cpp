// Printed page geometry from printer numbers and margins, and the preview's button rules.
#include "app/print_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

LogFontRecord font(int32_t height, int32_t width) {
    LogFontRecord f{};
    f.lfHeight = height;
    f.lfWidth = width;
    f.lfWeight = 400;
    return f;
}

// Expected numbers worked by hand: margin = dpi x tenths / 254, columns 75 + 2 for a hypertext
// without @width (else @width + 2), font size x (width - margins) / (columns x screen cell),
// lines per page = (height - (top lines + 3) x line) / line.
TEST(PrintLayout, GeometryFromPrinterAndMargins) {
    struct Case {
        const char* name;
        PrinterCaps caps;
        PrintMarginSettings margins;
        int32_t line_width, screen_cell, font_height, font_width;
        ScreenMetrics printer;  // what measuring the scaled fonts gives
        uint32_t left_px, right_px, top_px;
        int32_t reference, printer_height, printer_width;
        int32_t left_cells, top_lines, lines_per_page;
        bool usable;
    };
    const Case cases[] = {
        // 600 x 200 / 254 = 472.4; 4960 - 944 = 4016; -16 x 4016 / 616 = -104.3;
        // 472 / 50 = 9, 472 / 120 = 3; (7016 - 6 x 120) / 120 = 52.5.
        {"A4 at 600 dpi, default margins, no @width", {600, 600, 4960, 7016}, {200, 200, 200},
         85, 8, -16, 0, {40, 120, 50}, 472, 472, 472, 77 * 8, -104, 0, 9, 3, 52, true},
        // 300 x 200 / 254 = 236.2; 2480 - 472 = 2008; 62 cells x 7 = 434; -16 x 2008 / 434 =
        // -74.0, 6 x 2008 / 434 = 27.8; 236 / 32 = 7, 236 / 85 = 2; (3508 - 5 x 85) / 85 = 36.3.
        {"A4 at 300 dpi, @width 60", {300, 300, 2480, 3508}, {200, 200, 200}, 60, 7, -16, 6,
         {30, 85, 32}, 236, 236, 236, 62 * 7, -74, 27, 7, 2, 36, true},
        // 150 x 100 / 254 = 59.1, 150 x 300 / 254 = 177.2; 1275 - 236 = 1039; 82 x 9 = 738;
        // 20 x 1039 / 738 = 28.2; 59 / 14 = 4; (1650 - 3 x 30) / 30 = 52.
        {"letter at 150 dpi, uneven margins, no top margin", {150, 150, 1275, 1650},
         {100, 300, 0}, 80, 9, 20, 0, {12, 30, 14}, 59, 177, 0, 82 * 9, 28, 0, 4, 0, 52, true},
        // Different resolutions across and down: the top margin follows LOGPIXELSY.
        // 300 x 254 / 254 = 300, 600 x 254 / 254 = 600; 2480 - 600 = 1880; -16 x 1880 / 616 =
        // -48.8; 600 / 60 = 10; (7016 - 13 x 60) / 60 = 103.9.
        {"300 x 600 dpi", {300, 600, 2480, 7016}, {254, 254, 254}, 85, 8, -16, 0, {20, 60, 25},
         300, 300, 600, 616, -48, 0, 12, 10, 103, true},
        // A page that holds less than the reserved lines still gets one line per page.
        {"tiny page: one line per page", {300, 300, 2480, 300}, {0, 0, 0}, 85, 8, -16, 0,
         {40, 120, 50}, 0, 0, 0, 616, -64, 0, 0, 0, 1, true},
        // 300 x 1500 / 254 = 1771.6 twice: wider than 2480 pixels.
        {"margins wider than the paper", {300, 300, 2480, 3508}, {1500, 1500, 200}, 85, 8, -16,
         0, {40, 120, 50}, 1771, 1771, 236, 616, 0, 0, 0, 0, 0, false},
        // 300 x 3000 / 254 = 3543 below the end of a 3508-pixel page.
        {"top margin below the page", {300, 300, 2480, 3508}, {200, 200, 3000}, 85, 8, -16, 0,
         {40, 120, 50}, 236, 236, 3543, 616, 0, 0, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reference_width(c.line_width, c.screen_cell), c.reference);
        const PrintSetup setup = print_setup(c.caps, c.margins, c.line_width, c.screen_cell,
                                             font(c.font_height, c.font_width), font(-13, 0));
        EXPECT_EQ(setup.left_pixels, c.left_px);
        EXPECT_EQ(setup.right_pixels, c.right_px);
        EXPECT_EQ(setup.top_pixels, c.top_px);
        EXPECT_EQ(setup.usable, c.usable);
        if (!c.usable) continue;
        EXPECT_EQ(setup.page_width, c.caps.page_width);
        EXPECT_EQ(setup.text_font.lfHeight, c.printer_height);
        EXPECT_EQ(setup.text_font.lfWidth, c.printer_width);
        // XFONT prints at the text font's size.
        EXPECT_EQ(setup.alt_font.lfHeight, c.printer_height);
        EXPECT_EQ(setup.alt_font.lfWidth, c.printer_width);
        const PrintMetrics print = print_metrics(setup, c.printer, c.caps.page_height);
        EXPECT_EQ(print.left_margin, c.left_cells);
        EXPECT_EQ(print.top_margin, c.top_lines);
        EXPECT_EQ(print.lines_per_page, c.lines_per_page);
    }
}

// The preview scales the printer font from the printable width to the page area: -104 x 420 /
// 4960 = -8.8, and 27 x 420 / 2480 = 4.6.
TEST(PrintLayout, PreviewFontsFollowThePageAreaWidth) {
    PrintMetrics print;
    print.page_width = 4960;
    print.text_font = font(-104, 0);
    print.alt_font = font(-104, 0);
    LogFontRecord text{}, alt{};
    preview_fonts(print, 420, text, alt);
    EXPECT_EQ(text.lfHeight, -8);
    EXPECT_EQ(alt.lfHeight, -8);
    print.page_width = 2480;
    print.text_font = font(-74, 27);
    preview_fonts(print, 420, text, alt);
    EXPECT_EQ(text.lfWidth, 4);
    EXPECT_EQ(alt.lfWidth, 4);
}

// Sessions of the preview dialog: each step is an event and what the dialog must do then.
TEST(PrintLayout, PreviewButtonsAndFocus) {
    enum Event { Open, Back, Forward, PaintMore, PaintLast };
    constexpr int8_t SAME = -1, OFF = 0, ON = 1;
    using F = PreviewFocus;
    struct Step {
        Event event;
        int8_t back, forward;
        PreviewFocus focus;
        bool repaint;
        int32_t page;
    };
    struct Session {
        const char* name;
        std::vector<Step> steps;
    };
    const Session sessions[] = {
        {"three printed pages, forward to the end and back",
         {
             {Open, OFF, OFF, F::Ok, false, 1},
             {PaintMore, SAME, ON, F::Unchanged, false, 1},  // opened: focus stays on OK
             {Forward, ON, OFF, F::Back, true, 2},
             {PaintMore, SAME, ON, F::Forward, false, 2},  // stepping on: focus follows "Vor"
             {Forward, ON, OFF, F::Back, true, 3},
             {PaintLast, SAME, SAME, F::Unchanged, false, 3},  // last page: "Vor" stays off
             {Forward, SAME, SAME, F::Unchanged, false, 3},    // ignored
             {Back, ON, ON, F::Back, true, 2},
             {PaintMore, SAME, ON, F::Unchanged, false, 2},  // stepping back: focus stays
             {Back, OFF, ON, F::Forward, true, 1},           // page 1: "Zurück" off
             {PaintMore, SAME, ON, F::Unchanged, false, 1},
             {Back, SAME, SAME, F::Unchanged, false, 1},  // ignored on page 1
         }},
        {"one printed page never enables Vor",
         {
             {Open, OFF, OFF, F::Ok, false, 1},
             {PaintLast, SAME, SAME, F::Unchanged, false, 1},
             {Forward, SAME, SAME, F::Unchanged, false, 1},
             {PaintLast, SAME, SAME, F::Unchanged, false, 1},
         }},
        {"opening again starts on page 1",
         {
             {Open, OFF, OFF, F::Ok, false, 1},
             {PaintMore, SAME, ON, F::Unchanged, false, 1},
             {Forward, ON, OFF, F::Back, true, 2},
             {Open, OFF, OFF, F::Ok, false, 1},
         }},
    };
    for (const Session& session : sessions) {
        PreviewButtons buttons;
        for (std::size_t i = 0; i < session.steps.size(); ++i) {
            const Step& s = session.steps[i];
            SCOPED_TRACE(std::string(session.name) + ", step " + std::to_string(i + 1));
            PreviewUpdate u;
            switch (s.event) {
                case Open: u = buttons.open(); break;
                case Back: u = buttons.back(); break;
                case Forward: u = buttons.forward(); break;
                case PaintMore: u = buttons.painted(true); break;
                case PaintLast: u = buttons.painted(false); break;
            }
            EXPECT_EQ(u.back_enabled, s.back);
            EXPECT_EQ(u.forward_enabled, s.forward);
            EXPECT_EQ(u.focus, s.focus);
            EXPECT_EQ(u.repaint, s.repaint);
            EXPECT_EQ(buttons.page(), s.page);
        }
    }
}

}  // namespace
