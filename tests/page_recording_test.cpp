// A page recorded once and replayed with an offset and a band draws what a walk of that
// scrolled window draws; the recording owns its objects and uses them rightly.
#include "render/page_recording.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "hyp/charset.h"
#include "render/graphics_drawing.h"
#include "render/text_run.h"
#include "settings/settings.h"
#include "walk_support.h"

namespace {

using fixture::DrawnText;
using fixture::LinkKind;
using fixture::PageBuilder;
using walktest::Screen;

constexpr int32_t kLine = 20;  // line_height of the model metrics
constexpr int32_t kCell = 8;   // cell_width

// 40 lines: plain, bold, ghosted and outlined text, Greek letters of the Atari set (drawn as
// wide characters), links, a box with a pattern and a line crossing many lines, so that the band
// cuts through runs, fonts, colours and graphics.
std::vector<uint8_t> long_page() {
    PageBuilder page;
    page.title("Lang");
    for (int i = 0; i < 40; ++i) {
        page.text("Zeile " + std::to_string(i) + "  mit  Luecken ");
        if (i % 3 == 0) page.attributes(ATTR_BOLD).text("fett").attributes(0);
        if (i % 4 == 1) page.attributes(ATTR_GHOSTED | ATTR_ITALIC).text(" schraeg").attributes(0);
        if (i % 5 == 2) page.attributes(ATTR_OUTLINE).text(" umrandet").attributes(0);
        if (i % 2 == 0) page.link(LinkKind::Link, 1, "Ziel " + std::to_string(i));
        if (i % 7 == 3) page.attributes(ATTR_XFONT).text(" fest").attributes(0);
        if (i % 6 == 4) page.text(" \xE0\xE1 Winkel");
        if (i == 6) page.box(20, 6, 10, 4, 3).draw_line(40, 5, 10, 30);
        page.end_line();
    }
    return page.bytes();
}

// What landed on a device within rows [top, bottom): texts with place, colour and font, and
// inversions. Calls outside may differ: each way of drawing leaves some that the clip drops.
using Seen = std::vector<std::tuple<int32_t, int32_t, std::string, Colour, int32_t, uint8_t>>;
Seen seen_in(const fixture::RecordingDevice& dc, int32_t top, int32_t bottom) {
    Seen seen;
    for (const DrawnText& t : dc.texts) {
        std::string text = t.text;
        for (char16_t unit : t.wide_text) text += "<U+" + std::to_string(unit) + ">";
        if (t.y + kLine > top && t.y < bottom)
            seen.emplace_back(t.x, t.y, text, t.colour, t.font.lfWeight, t.font.lfUnderline);
    }
    for (const DeviceRect& r : dc.inversions) {
        if (r.bottom > top && r.top < bottom)
            seen.emplace_back(r.left, r.top, "invert", r.right, r.bottom, 0);
    }
    return seen;
}

class PageRecordingTest : public ::testing::Test {
   protected:
    void SetUp() override {
        restore_default_settings();
        walktest::reset_walk_state();
        conversion_index = 0;
        expmultispace = 1;
        install_graphics_hooks(&device_graphics());
        walktest::add_entry(doc, ENTRY_NODE, "Main", long_page());
        walktest::add_entry(doc, ENTRY_NODE, "Ziel", fixture::text_page({"z"}));
        interpret_page(walktest::layout_args(doc, 0));
    }
    void TearDown() override { install_graphics_hooks(nullptr); }

    HypDocument doc;
};

TEST_F(PageRecordingTest, ReplayDrawsWhatTheScrolledWalkDraws) {
    Screen recorded_on;
    PageRecording recording;
    {
        PageRecorder recorder(recorded_on.dc, recorded_on.dc, recording, recorded_on.text_font,
                              TXTCOLOR);
        PageWalkArgs args = recorded_on.args(doc, 0, 0, doc.index[0].line_count + 1);
        args.dc = &recorder;
        args.selected_link = 3;
        interpret_page(args);
    }
    const std::vector<LinkArea> recorded_links = doc.index[0].links;

    struct Case {
        int32_t top_line, left_column, first_row, rows;  // the band: window rows
    } cases[] = {
        {0, 0, 0, 15},              // the top of the page, whole window
        {5, 0, 0, 15},              // scrolled into the box and the line
        {9, 3, 14 * kLine, kLine},  // a line scroll down: only the bottom line is drawn
        {8, 3, 0, kLine},           // a line scroll up: only the top line
        {7, 0, 5, 23},              // a band that starts and ends inside lines
        {30, 2, 0, 15 * kLine},     // near the end, scrolled right
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("top line " + std::to_string(c.top_line) + ", rows " +
                     std::to_string(c.first_row));
        const int32_t rows = c.rows < kLine ? c.rows * kLine : c.rows;
        // The walk of the window as painted without a recording.
        Screen direct;
        PageWalkArgs args = direct.args(doc, 0, std::max(0, c.first_row / kLine + c.top_line - 1),
                                        (c.first_row + rows) / kLine + c.top_line);
        args.origin_line = -c.top_line;
        args.origin_column = -c.left_column;
        args.selected_link = 3;
        interpret_page(args);

        recorded_on.dc.texts.clear();
        recorded_on.dc.inversions.clear();
        const int32_t dx = -c.left_column * kCell, dy = -c.top_line * kLine;
        recording.replay(recorded_on.dc, dx, dy, c.first_row - dy, c.first_row + rows - dy);
        const Seen expected = seen_in(direct.dc, c.first_row, c.first_row + rows);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(seen_in(recorded_on.dc, c.first_row, c.first_row + rows), expected);
        // Nothing far outside the band is drawn again.
        for (const DrawnText& t : recorded_on.dc.texts) {
            EXPECT_GT(t.y + 2 * kLine, c.first_row) << t.text;
            EXPECT_LT(t.y - 2 * kLine, c.first_row + rows) << t.text;
        }
    }
    EXPECT_EQ(doc.index[0].links.size(), recorded_links.size());
    EXPECT_EQ(recorded_on.dc.bad_selects, 0);
    EXPECT_EQ(recorded_on.dc.bad_deletes, 0);
}

TEST_F(PageRecordingTest, OwnsItsObjectsAndGivesTheTargetItsOwnBack) {
    Screen screen;
    const LogFontRecord before = screen.dc.selected_font();
    auto recording = std::make_unique<PageRecording>();
    {
        PageRecorder recorder(screen.dc, screen.dc, *recording, screen.text_font, TXTCOLOR);
        PageWalkArgs args = screen.args(doc, 0, 0, doc.index[0].line_count + 1);
        args.dc = &recorder;
        interpret_page(args);
    }
    // The measuring device has its own font again; the walk's fonts were not deleted under it.
    EXPECT_EQ(std::memcmp(&screen.dc.selected_font(), &before, sizeof(before)), 0);
    EXPECT_EQ(screen.dc.bad_deletes, 0);
    // 20 links, bold, italic, outlined: one font per kind of run, not one per run.
    EXPECT_LE(screen.dc.leaked_fonts(), 6);
    recording->replay(screen.dc, 0, 0, 0, 300);
    EXPECT_EQ(std::memcmp(&screen.dc.selected_font(), &before, sizeof(before)), 0);
    EXPECT_EQ(screen.dc.bad_selects, 0);
    recording.reset();
    EXPECT_EQ(screen.dc.leaked_fonts(), 0);
    EXPECT_EQ(screen.dc.bad_deletes, 0);
}

}  // namespace
