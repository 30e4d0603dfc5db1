// Pictures that reserve lines on a device: text and graphics pushed down, reservations dropped.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hyp/page_codes.h"
#include "settings/settings.h"
#include "walk_support.h"

namespace {

using fixture::DrawnText;
using fixture::PageBuilder;
using walktest::add_entry;
using walktest::add_image;
using walktest::RecordingGraphics;
using walktest::Screen;

constexpr int32_t kLine = 20;  // line_height of the model metrics

constexpr uint16_t kTall = 1;   // 16 x 40 pixels: 2 lines (3 when scaled)
constexpr uint16_t kSmall = 2;  // 8 x 10 pixels: 1 line

void build_document(HypDocument& doc, const PageBuilder& page) {
    add_entry(doc, ENTRY_NODE, "Main", page.bytes());
    add_image(doc, 16, 40);
    add_image(doc, 8, 10);
}

// Lays out entry 0, handing its graphics objects to `graphics`.
void lay_out(HypDocument& doc, RecordingGraphics& graphics, bool scale_images = false) {
    PageWalkArgs layout = walktest::layout_args(doc, 0);
    layout.scale_images = scale_images;
    layout.graphics = &graphics;
    interpret_page(layout);
}

struct Drawn {
    uint16_t line;  // display line the object was drawn at
    uint16_t code;
    uint16_t image;
    bool operator==(const Drawn& o) const {
        return line == o.line && code == o.code && image == o.image;
    }
};

std::ostream& operator<<(std::ostream& out, const Drawn& d) {
    return out << "{line " << d.line << ", code " << d.code << ", image " << d.image << "}";
}

struct PictureCase {
    const char* name;
    std::function<void(PageBuilder&)> page;
    bool scale_images;
    int32_t line_count;
    std::vector<int32_t> text_y;  // y of each text line "t0", "t1", ... in order
    std::vector<Drawn> drawn;
    std::vector<int32_t> image_line_heights;
};

class PageWalkPicturesTest : public ::testing::Test {
   protected:
    void SetUp() override {
        restore_default_settings();
        walktest::reset_walk_state();
    }
};

TEST_F(PageWalkPicturesTest, ReservationsPushTextAndGraphicsDown) {
    const PictureCase cases[] = {
        {"picture on line 0 pushes the first line below it",
         [](PageBuilder& p) {
             p.picture(kTall, 0, 0, true).box(1, 1, 4, 1);
             p.line("t0").line("t1");
         },
         false,
         4,
         {2 * kLine, 3 * kLine},
         {{0, ESC_PICTURE, kTall}, {3, ESC_BOX, 0}},
         {40}},
        {"a picture that reserves nothing is drawn under the text",
         [](PageBuilder& p) { p.picture(kTall, 0, 0, false).line("t0").line("t1"); },
         false,
         2,
         {0, kLine},
         {{0, ESC_PICTURE, kTall}},
         {}},
        {"scaled picture reserves its scaled height",
         [](PageBuilder& p) { p.picture(kTall, 0, 0, true).line("t0"); },
         true,
         4,
         {3 * kLine},
         {{0, ESC_PICTURE, kTall}},
         {40}},
        {"picture further down pushes the lines after it",
         [](PageBuilder& p) {
             p.picture(kSmall, 0, 1, true).draw_line(1, 2, 3, 1);
             p.line("t0").line("t1").line("t2");
         },
         false,
         4,
         {0, 2 * kLine, 3 * kLine},
         {{1, ESC_PICTURE, kSmall}, {3, ESC_LINE, 0}},
         {10}},
        // Line 1 lands on display line 3, where the second picture reserves one more line; the
        // box of line 2 follows the text of line 2 onto display line 5.
        {"reservation inside a reservation",
         [](PageBuilder& p) {
             p.picture(kTall, 0, 0, true).picture(kSmall, 0, 1, true).box(1, 2, 2, 1);
             p.line("t0").line("t1").line("t2");
         },
         false,
         6,
         {2 * kLine, 4 * kLine, 5 * kLine},
         {{0, ESC_PICTURE, kTall}, {3, ESC_PICTURE, kSmall}, {5, ESC_BOX, 0}},
         {40, 10}},
        {"a reservation beyond the page's lines is dropped",
         [](PageBuilder& p) {
             p.picture(kTall, 0, 500, true).picture(kSmall, 0, 65000, true);
             p.line("t0").line("t1");
         },
         false,
         5,
         {0, kLine},
         {},
         {40, 10}},
        {"graphics on line 0 after a reserving picture go below it",
         [](PageBuilder& p) { p.picture(kTall, 0, 0, true).box(1, 0, 3, 1).line("t0"); },
         false,
         3,
         {2 * kLine},
         {{0, ESC_PICTURE, kTall}, {2, ESC_BOX, 0}},
         {40}},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.name);
        HypDocument doc;
        if (!walktest::build_case(doc, c.page, build_document)) continue;
        RecordingGraphics graphics;

        lay_out(doc, graphics, c.scale_images);
        EXPECT_EQ(doc.index[0].line_count, c.line_count);

        Screen screen;
        PageWalkArgs args = screen.args(doc, 0);
        args.scale_images = c.scale_images;
        args.graphics = &graphics;
        graphics.calls.clear();
        EXPECT_TRUE(interpret_page(args).walked);

        std::vector<int32_t> text_y;
        for (const DrawnText& run : screen.dc.runs()) text_y.push_back(run.y);
        EXPECT_EQ(text_y, c.text_y);
        std::vector<Drawn> drawn;
        for (const auto& [line, object] : graphics.drawn()) {
            drawn.push_back({line, object.code, object.image});
        }
        EXPECT_EQ(drawn, c.drawn);
        EXPECT_EQ(doc.index[0].image_line_heights, c.image_line_heights);
    }
}

TEST_F(PageWalkPicturesTest, ObjectsDueAtOnceAreHandedOverOnce) {
    // Two pictures and a box all on line 0: each is drawn once, never a second time with the
    // objects of the same line met before it.
    PageBuilder page;
    page.box(1, 0, 2, 1).picture(kSmall, 0, 0, false).picture(kTall, 5, 0, false).line("t0");
    HypDocument doc;
    build_document(doc, page);
    RecordingGraphics graphics;
    lay_out(doc, graphics);
    Screen screen;
    PageWalkArgs args = screen.args(doc, 0);
    args.graphics = &graphics;
    graphics.calls.clear();
    interpret_page(args);
    std::vector<Drawn> drawn;
    for (const auto& [line, object] : graphics.drawn()) {
        drawn.push_back({line, object.code, object.image});
    }
    EXPECT_EQ(drawn, (std::vector<Drawn>{
                         {0, ESC_BOX, 0}, {0, ESC_PICTURE, kSmall}, {0, ESC_PICTURE, kTall}}));
}

TEST_F(PageWalkPicturesTest, GraphicsObjectFields) {
    PageBuilder page;
    page.draw_line(7, 0, -3, 2, 4, fixture::arrow::kEnd).picture(kSmall, 9, 0, true, 0x55);
    page.line("t0");
    HypDocument doc;
    build_document(doc, page);
    RecordingGraphics graphics;
    Screen screen;
    PageWalkArgs args = screen.args(doc, 0);
    args.graphics = &graphics;
    interpret_page(args);
    const auto drawn = graphics.drawn();
    ASSERT_EQ(drawn.size(), 2u);
    const GraphicsObject& line = drawn[0].second;
    EXPECT_EQ(line.code, ESC_LINE);
    EXPECT_EQ(line.column, 7);
    EXPECT_EQ(line.line, 0);
    EXPECT_EQ(line.width, 128 - 3);
    EXPECT_EQ(line.height, 2 + 1);
    EXPECT_EQ(line.attribute, 1 + (4 - 1) * 8 + 2);
    const GraphicsObject& picture = drawn[1].second;
    EXPECT_EQ(picture.code, ESC_PICTURE);
    EXPECT_EQ(picture.image, kSmall);
    EXPECT_EQ(picture.column, 9);
    EXPECT_EQ(picture.width, 1);
    EXPECT_EQ(picture.height, 0x55);
    EXPECT_EQ(picture.attribute, 0);
}

TEST_F(PageWalkPicturesTest, PicturesAreDecodedOnceWhileThePageIsShown) {
    PageBuilder page;
    page.picture(kTall, 0, 0, true).picture(kTall, 0, 1, false).line("t0").line("t1");
    HypDocument doc;
    build_document(doc, page);
    RecordingGraphics graphics;
    lay_out(doc, graphics);
    EXPECT_EQ(graphics.decodes, 1);
    ASSERT_TRUE(doc.index[kTall].bitmap);
    for (int repaint = 0; repaint < 3; ++repaint) {
        Screen screen;
        PageWalkArgs args = screen.args(doc, 0);
        args.graphics = &graphics;
        interpret_page(args);
    }
    EXPECT_EQ(graphics.decodes, 1);
}

TEST_F(PageWalkPicturesTest, WithoutAGraphicsModuleHeightsComeFromTheImageHeader) {
    PageBuilder page;
    page.picture(kTall, 0, 0, true).line("t0");
    HypDocument doc;
    build_document(doc, page);
    interpret_page(walktest::layout_args(doc, 0));
    EXPECT_EQ(doc.index[0].line_count, 3);
    EXPECT_FALSE(doc.index[kTall].bitmap);
    Screen screen;
    interpret_page(screen.args(doc, 0));
    ASSERT_EQ(screen.dc.runs().size(), 1u);
    EXPECT_EQ(screen.dc.runs()[0].y, 2 * kLine);
}

}  // namespace
