// Graphics objects drawn on a device: dash styles, arrow heads, boxes with patterns anchored at
// their corner, pictures placed, centred, stretched or framed, and printed page breaks.
#include "render/graphics_drawing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/recording_device.h"
#include "hyp/document.h"
#include "hyp/page_codes.h"
#include "settings/settings.h"

namespace {

// The recording device, also noting where brush patterns are anchored.
class Device : public fixture::RecordingDevice {
   public:
    DevicePoint set_brush_origin(int32_t x, int32_t y) override {
        log.push_back("set_brush_origin " + std::to_string(x) + " " + std::to_string(y));
        return RecordingDevice::set_brush_origin(x, y);
    }
    bool has(const std::string& line) const {
        for (const std::string& l : log) {
            if (l == line) return true;
        }
        return false;
    }
    int count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& l : log) n += l.rfind(prefix, 0) == 0;
        return n;
    }
};

struct Walk {
    uint16_t lines_on_page = 0;
    uint16_t current_line = 0;
    int32_t page_counter = 1;
    std::vector<GraphicsObject> objects;
    HypDocument doc;
    Device dc;

    // Cells of 10 x 20 pixels, margin 1 column, no scrolling.
    GraphicsContext context(int32_t print_page = 0, int32_t lines_per_page = 0) {
        ScreenMetrics m;
        m.cell_width = 10;
        m.line_height = 20;
        return GraphicsContext{&objects,
                               lines_on_page,
                               &dc,
                               m,
                               1,
                               false,
                               0,
                               0,
                               current_line,
                               PageWindow{WindowRole::Main, nullptr},
                               settings.TXTCOLOR(),
                               nullptr,
                               0,
                               print_page,
                               0,
                               page_counter,
                               lines_per_page,
                               &doc,
                               nullptr};
    }
};

GraphicsObject object(uint16_t code, uint16_t column, uint16_t width, uint16_t height,
                      uint16_t attribute, uint16_t line = 0) {
    return GraphicsObject{attribute, width, height, /*image=*/0, code, column, line};
}

TEST(LineStyles, OnOffRuns) {
    struct Case {
        int style;
        const char* pattern;  // one period: '#' painted, '.' not
    };
    const Case cases[] = {
        {1, "#"},
        {2, "###########..."},
        {3, "###....."},
        {4, "#######..##.."},
        {5, "#######......."},
        {6, "####..##..##.."},
        {7, "#."},
        {9, "#"},  // beyond the table: solid
    };
    for (const Case& c : cases) {
        const std::string period = c.pattern;
        for (uint32_t p = 0; p < 2 * period.size(); ++p) {
            EXPECT_EQ(line_style_paints(c.style, p), period[p % period.size()] == '#')
                << "style " << c.style << " pixel " << p;
        }
    }
}

TEST(DeviceGraphics, DashedLineIsDrawnPixelByPixelWithoutItsEnd) {
    Walk w;
    // Style 3 (3 on, 5 off) from column 2 over 1 column: pixels 10 .. 19 of row 0.
    w.objects.push_back(object(ESC_LINE, 2, 128 + 1, 1, 1 + 2 * 8));
    GraphicsContext c = w.context();
    device_graphics().draw_graphics_objects(w.objects, false, c);
    EXPECT_TRUE(w.dc.has("set_pixel 20 0"));
    EXPECT_TRUE(w.dc.has("set_pixel 22 0"));
    EXPECT_FALSE(w.dc.has("set_pixel 23 0"));
    EXPECT_TRUE(w.dc.has("set_pixel 28 0"));
    EXPECT_FALSE(w.dc.has("set_pixel 30 0")) << "the end point is excluded";
    EXPECT_EQ(w.dc.count("set_pixel"), 5);  // 20, 21, 22, 28, 29
    EXPECT_EQ(w.dc.position().x, 0) << "the text position is restored";
}

TEST(DeviceGraphics, ArrowHeads) {
    Walk w;
    // A vertical line down from column 2 over 2 rows with heads at both ends; K = 8.
    w.objects.push_back(object(ESC_LINE, 2, 128, 3, 1 + 3));
    // A horizontal line from column 2 over 3 columns with a head at its end.
    w.objects.push_back(object(ESC_LINE, 2, 131, 1, 1 + 2));
    GraphicsContext c = w.context();
    device_graphics().draw_graphics_objects(w.objects, false, c);
    EXPECT_TRUE(w.dc.has("polyline 12,8 20,0 29,9")) << "start head of the vertical line";
    EXPECT_TRUE(w.dc.has("polyline 12,32 20,40 29,31")) << "end head of the vertical line";
    // Horizontal, end at (50, 0), A = 0.785375 (a little below a quarter turn), L1 = sqrt(128):
    // P1 = T - L1 (cos -A, sin -A) = (41.99.., 7.99..), P2 = T - L2 (cos A, sin A) with
    // L2 = sqrt(162): (40.99.., -8.99..); each truncated toward zero.
    EXPECT_TRUE(w.dc.has("polyline 41,7 50,0 40,-8")) << "end head of the horizontal line";
    EXPECT_TRUE(w.dc.has("line_to 50 0"));
}

TEST(DeviceGraphics, BoxesAndRoundedBoxes) {
    Walk w;
    w.objects.push_back(object(ESC_BOX, 3, 4, 2, 1 + 1));   // pattern 1
    w.objects.push_back(object(ESC_BOX, 3, 4, 2, 1));       // hollow
    w.objects.push_back(object(ESC_RBOX, 3, 4, 2, 1 + 8));  // pattern 8, rounded
    w.objects.push_back(object(ESC_BOX, 3, 4, 2, 1 + 12));  // no such pattern: hollow
    w.objects.push_back(object(ESC_BOX, 9, 9, 9, 2, 5));    // another line: not now
    GraphicsContext c = w.context();
    device_graphics().draw_graphics_objects(w.objects, false, c);
    // Columns 3 .. 6 with the margin: x 30 .. 70, rows 0 .. 2: y 0 .. 40; +1 exclusive.
    EXPECT_EQ(w.dc.count("rectangle 30 0 71 41"), 3);
    EXPECT_TRUE(w.dc.has("create_pattern_brush 8800220088002200"));
    EXPECT_TRUE(w.dc.has("create_pattern_brush FFFFFFFFFFFFFFFF"));
    EXPECT_EQ(w.dc.count("create_pattern_brush"), 2);
    EXPECT_EQ(w.dc.count("set_brush_origin 30 0"), 4) << "patterns anchored at the corner";
    // Width 40 >= height 40: r = 40 / 4 = 10, ellipse 11.
    EXPECT_TRUE(w.dc.has("round_rect 30 0 71 41 11 11"));
    EXPECT_EQ(w.dc.bad_deletes, 0);
    EXPECT_EQ(w.dc.count("rectangle 100"), 0);
}

void add_image(HypDocument& doc, int width, int height, int planes) {
    IndexEntry e;
    e.type = ENTRY_IMAGE;
    e.bitmap = std::make_unique<DecodedImage>();
    e.bitmap->width = width;
    e.bitmap->height = -height;
    e.bitmap->bit_count = static_cast<uint16_t>(planes);
    if (planes <= 4) {
        e.bitmap->palette.assign(1u << planes, 0);
        e.bitmap->pixels.assign(e.bitmap->stride() * height, 0);
    }
    doc.index.push_back(std::move(e));
}

TEST(DeviceGraphics, PicturesPlacedCentredStretchedOrFramed) {
    Walk w;
    w.doc.line_width = 40;         // 400 pixels
    add_image(w.doc, 100, 32, 1);  // 0
    add_image(w.doc, 900, 10, 4);  // 1: wider than the page
    add_image(w.doc, 50, 16, 8);   // 2: more than four planes
    GraphicsObject centred = object(ESC_PICTURE, 0, 0, 0, 0);
    centred.image = 0;
    GraphicsObject at_column = object(ESC_PICTURE, 5, 0, 0, 0);
    at_column.image = 0;
    GraphicsObject wide = object(ESC_PICTURE, 0, 0, 0, 0);
    wide.image = 1;
    GraphicsObject deep = object(ESC_PICTURE, 3, 0, 0, 0);
    deep.image = 2;
    w.objects = {centred, at_column, wide, deep};
    GraphicsContext c = w.context();
    device_graphics().draw_graphics_objects(w.objects, false, c);
    // Centred: b = (400 - 100) / 20 + 1 - 1 = 15.
    EXPECT_TRUE(w.dc.has("draw_image 150 0 100x32"));
    EXPECT_TRUE(w.dc.has("draw_image 50 0 100x32")) << "column 5 with the margin";
    EXPECT_TRUE(w.dc.has("draw_image 10 0 900x10")) << "a wide picture starts at the margin";
    EXPECT_TRUE(w.dc.has("rectangle 30 0 81 17")) << "a frame for more than four planes";
    EXPECT_TRUE(w.dc.has("create_pen 1 " + std::to_string(settings.colour_table[3])));

    Walk s;
    add_image(s.doc, 16, 32, 1);
    GraphicsObject scaled = object(ESC_PICTURE, 2, 0, 0, 0);
    s.objects = {scaled};
    GraphicsContext sc = s.context();
    sc.scale_images = true;
    device_graphics().draw_graphics_objects(s.objects, false, sc);
    // From a cell of 8 x 16 to 10 x 20: 20 x 40.
    EXPECT_TRUE(s.dc.has("stretch_image 20 0 20x40"));
}

TEST(DeviceGraphics, PrintedPageBreaksBeforeAnObjectThatDoesNotFit) {
    Walk w;
    w.lines_on_page = 8;
    w.current_line = 30;
    w.objects.push_back(object(ESC_BOX, 1, 2, 3, 1, 30));  // rows 8 .. 11 of a 10-line page
    GraphicsContext c = w.context(-1, 10);
    device_graphics().draw_graphics_objects(w.objects, false, c);
    EXPECT_EQ(w.dc.pages_ended, 1);
    EXPECT_EQ(w.dc.pages_started, 1);
    EXPECT_EQ(w.page_counter, 2);
    EXPECT_EQ(w.lines_on_page, 0);
    EXPECT_TRUE(w.dc.has("rectangle 10 0 31 61")) << "drawn at the top of the new page";

    Walk fits;
    fits.lines_on_page = 2;
    fits.current_line = 2;
    fits.objects.push_back(object(ESC_BOX, 1, 2, 3, 1, 2));
    GraphicsContext fc = fits.context(-1, 10);
    device_graphics().draw_graphics_objects(fits.objects, false, fc);
    EXPECT_EQ(fits.dc.pages_ended, 0);
    EXPECT_TRUE(fits.dc.has("rectangle 10 40 31 101"));

    // Preview of page 1: the object moves to page 2 and is not drawn.
    Walk preview;
    preview.lines_on_page = 9;
    preview.current_line = 9;
    preview.objects.push_back(object(ESC_BOX, 1, 2, 3, 1, 9));
    GraphicsContext pc = preview.context(1, 10);
    device_graphics().draw_graphics_objects(preview.objects, false, pc);
    EXPECT_EQ(preview.dc.pages_ended, 0) << "nothing is sent to the device in a preview";
    EXPECT_EQ(preview.page_counter, 2);
    EXPECT_EQ(preview.dc.count("rectangle"), 0);
}

}  // namespace
