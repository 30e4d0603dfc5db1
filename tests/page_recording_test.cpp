// A page recorded once and replayed with an offset and a band draws what a walk of that
// scrolled window draws; the recording owns its objects and uses them rightly.
#include "render/page_recording.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
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
        settings.expmultispace = 1;
        walktest::add_entry(doc, ENTRY_NODE, "Main", long_page());
        walktest::add_entry(doc, ENTRY_NODE, "Ziel", fixture::text_page({"z"}));
        PageWalkArgs layout = walktest::layout_args(doc, 0);
        layout.graphics = &device_graphics();
        interpret_page(layout);
    }

    HypDocument doc;
};

TEST_F(PageRecordingTest, ReplayDrawsWhatTheScrolledWalkDraws) {
    Screen recorded_on;
    recorded_on.graphics = &device_graphics();
    PageRecording recording;
    {
        PageRecorder recorder(recorded_on.dc, recorded_on.dc, recording, recorded_on.text_font,
                              settings.TXTCOLOR());
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
        direct.graphics = &device_graphics();
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
    screen.graphics = &device_graphics();
    const LogFontRecord before = screen.dc.selected_font();
    auto recording = std::make_unique<PageRecording>();
    {
        PageRecorder recorder(screen.dc, screen.dc, *recording, screen.text_font, settings.TXTCOLOR());
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

// State calls between two drawing calls are kept once, and not at all when they set what is in
// effect: a long page sets font and colour again on every line. The replay still draws each run
// in its font and colour at its place, and each line from where it starts.
TEST(PageRecorderStateCalls, KeptOnceAndOnlyWhenTheyChangeSomething) {
    const struct Case {
        const char* calls;  // c: colour, f/g: the text font or a bold one, m: move, l: line, t: text
        std::size_t kept;   // calls recorded after the first text
    } cases[] = {
        {"c1 t", 2},             // a new colour
        {"c0 t", 1},             // the colour in effect: left out
        {"c1 c2 c3 t", 2},       // three colours, one drawing: the last one only
        {"c1 c0 t", 1},          // set and set back
        {"g t f t", 4},          // another font and back, each drawn with
        {"m5,60 m9,70 l20,70", 2},
        {"m5,60 l20,60 m20,60 l20,80", 3},  // the second line starts where the first ended
        {"m5,60 l20,60 c1 t", 4},           // text at the end of the line
        {"m5,60 t m5,60 t", 4},             // a move back to where the first text started
    };
    const LogFontRecord text_font = fixture::default_text_font();
    LogFontRecord bold = text_font;
    bold.lfWeight = 700;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calls);
        fixture::RecordingDevice direct, measure;
        direct.prepare(text_font, 0);
        PageRecording recording;
        std::size_t before = 0;
        {
            PageRecorder recorder(measure, measure, recording, text_font, 0);
            const DeviceObject fonts[2][2] = {
                {direct.create_font(text_font), direct.create_font(bold)},
                {recorder.create_font(text_font), recorder.create_font(bold)}};
            for (int d = 0; d < 2; ++d) {
                Device& dc = d == 0 ? static_cast<Device&>(direct) : recorder;
                dc.move_to(0, 20);
                dc.text_out(0, 0, "erst", 4);
                if (d == 1) before = recording.calls();
                std::istringstream in(c.calls);
                std::string call;
                while (in >> call) {
                    const int a = std::atoi(call.c_str() + 1);
                    const char* comma = std::strchr(call.c_str(), ',');
                    const int b = comma ? std::atoi(comma + 1) : 0;
                    switch (call[0]) {
                        case 'c': dc.set_text_colour(static_cast<Colour>(a)); break;
                        case 'f': dc.select_object(fonts[d][0]); break;
                        case 'g': dc.select_object(fonts[d][1]); break;
                        case 'm': dc.move_to(a, b); break;
                        case 'l': dc.line_to(a, b); break;
                        default: dc.text_out(0, 0, "Lauf", 4); break;
                    }
                }
            }
        }
        EXPECT_EQ(recording.calls() - before, c.kept);
        // Replayed on the measuring device, which knows the recording's fonts.
        const auto drawn = [](const fixture::RecordingDevice& dc) {
            std::vector<std::string> out;
            for (const DrawnText& t : dc.texts)
                out.push_back(t.text + " at " + std::to_string(t.x) + "," + std::to_string(t.y) +
                              " colour " + std::to_string(t.colour) + " weight " +
                              std::to_string(t.font.lfWeight));
            for (const auto& [from, to] : dc.lines)
                out.push_back("line from " + std::to_string(from.x) + "," +
                              std::to_string(from.y) + " to " + std::to_string(to.x));
            return out;
        };
        measure.texts.clear();
        measure.lines.clear();
        recording.replay(measure, 0, 0, -1000, 1000);
        EXPECT_EQ(drawn(measure), drawn(direct));
    }
}

}  // namespace
