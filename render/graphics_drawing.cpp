// Drawing graphics objects on a device: dashed lines with arrow heads, boxes with fill
// patterns anchored at their corner, pictures copied, stretched or shown as a frame.
#include "render/graphics_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "hyp/document.h"
#include "hyp/page_codes.h"
#include "render/image.h"
#include "render/text_run.h"
#include "settings/settings.h"

namespace {

// The on/off runs of styles 2 to 7 (index style - 2), ended by 0.
constexpr uint8_t kDashRuns[6][7] = {
    {11, 3, 0}, {3, 5, 0}, {7, 2, 2, 2, 0}, {7, 7, 0}, {4, 2, 2, 2, 2, 2, 0}, {1, 1, 0},
};

// Colour slot of links to images: the frame of pictures that cannot be shown.
constexpr std::size_t IMAGE_LINK_SLOT = 3;

int64_t ceil_div(int64_t a, int64_t b) {
    return a <= 0 ? 0 : (a + b - 1) / b;
}

int32_t clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
}

struct Units {
    int32_t cw;
    int32_t lh;
};

Units units_of(const GraphicsContext& c) {
    return {std::max<int32_t>(c.metrics.cell_width, 1),
            std::max<int32_t>(c.metrics.line_height, 1)};
}

// Rows an object takes below the current one, for the page-break test.
int64_t last_row(const GraphicsObject& o, const GraphicsContext& c, HypDocument& doc) {
    const int64_t row = c.lines_on_page;
    switch (o.code) {
        case ESC_LINE:
            return row + static_cast<int64_t>(o.height) - 1;
        case ESC_BOX:
        case ESC_RBOX:
            return row + o.height;
        case ESC_PICTURE: {
            const Units u = units_of(c);
            int64_t height = 0;
            if (o.image < doc.index.size() && doc.index[o.image].bitmap) {
                height = std::abs(static_cast<int64_t>(doc.index[o.image].bitmap->height));
            }
            // Printed pictures are always scaled.
            return row + ceil_div(u.lh * height / 16, u.lh);
        }
        default:
            return row;
    }
}

void end_printed_page(GraphicsContext& c) {
    Device& dc = *c.dc;
    const Units u = units_of(c);
    if (c.print_page == -1) {
        dc.end_page();
        dc.start_page();
        TextState state;
        state.current_font = c.current_font;
        state.current_colour = c.current_colour;
        state.current_attributes = c.current_attributes;
        if (state.current_font) restore_text_state(dc, state);
    }
    dc.move_to(clamp32(int64_t{c.margin_columns} * u.cw), clamp32(int64_t{c.margin_lines} * u.lh));
    c.lines_on_page = 0;
    c.page_counter += 1;
}

void draw_arrow(Device& dc, DevicePoint tip, DevicePoint start, DevicePoint end, bool at_start,
                double k) {
    DevicePoint p1, p2;
    const int64_t dx = int64_t{end.x} - start.x, dy = int64_t{end.y} - start.y;
    if (dx == 0) {
        // A vertical line of no length has no direction: no arrow head.
        if (dy == 0) return;
        const double q = dy > 0 ? 1 : -1;
        const double s = at_start ? 1 : -1;
        p1 = {clamp32(static_cast<int64_t>(tip.x - k)),
              clamp32(static_cast<int64_t>(tip.y + s * k * q))};
        p2 = {clamp32(static_cast<int64_t>(tip.x + k + 1)),
              clamp32(static_cast<int64_t>(tip.y + s * (k + 1) * q))};
    } else {
        const double theta = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
        const double a = 0.785375;
        const double l1 = std::sqrt(2 * k * k), l2 = std::sqrt(2 * (k + 1) * (k + 1));
        const double s = at_start ? 1 : -1;
        p1 = {clamp32(static_cast<int64_t>(tip.x + s * l1 * std::cos(theta - a))),
              clamp32(static_cast<int64_t>(tip.y + s * l1 * std::sin(theta - a)))};
        p2 = {clamp32(static_cast<int64_t>(tip.x + s * l2 * std::cos(theta + a))),
              clamp32(static_cast<int64_t>(tip.y + s * l2 * std::sin(theta + a)))};
    }
    const DevicePoint points[3] = {p1, tip, p2};
    dc.polyline(points, 3);
}

void draw_line(const GraphicsObject& o, GraphicsContext& c, int64_t x0, int64_t y) {
    Device& dc = *c.dc;
    const Units u = units_of(c);
    const DevicePoint start{clamp32((x0 + o.column - 1) * u.cw), clamp32(y * u.lh)};
    const DevicePoint end{clamp32((x0 + o.column - 1 + static_cast<int64_t>(o.width) - 128) * u.cw),
                          clamp32((y + static_cast<int64_t>(o.height) - 1) * u.lh)};
    const int bits = o.attribute >= 1 ? o.attribute - 1 : 0;
    const int style = bits / 8 + 1;
    const DevicePoint saved = dc.current_position();
    const DeviceObject pen = dc.create_pen(1, settings.TXTCOLOR());
    const DeviceObject old_pen = dc.select_object(pen);
    if (style <= 1 || style > LINE_STYLE_COUNT) {
        // Styles beyond the table are drawn solid.
        dc.move_to(start.x, start.y);
        dc.line_to(end.x, end.y);
    } else {
        // A digital line from start to end, the end point excluded.
        int64_t x = start.x, yy = start.y;
        const int64_t dx = std::llabs(int64_t{end.x} - start.x), sx = start.x < end.x ? 1 : -1;
        const int64_t dy = -std::llabs(int64_t{end.y} - start.y), sy = start.y < end.y ? 1 : -1;
        int64_t err = dx + dy;
        uint32_t position = 0;
        while (x != end.x || yy != end.y) {
            if (line_style_paints(style, position)) {
                dc.set_pixel(static_cast<int32_t>(x), static_cast<int32_t>(yy), settings.TXTCOLOR());
            }
            ++position;
            const int64_t e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                yy += sy;
            }
        }
    }
    const double k = 0.8 * u.cw;
    if (bits & 1) draw_arrow(dc, start, start, end, true, k);
    if (bits & 2) draw_arrow(dc, end, start, end, false, k);
    dc.delete_object(dc.select_object(old_pen));
    dc.move_to(saved.x, saved.y);
}

void draw_box(const GraphicsObject& o, GraphicsContext& c, int64_t x0, int64_t y) {
    Device& dc = *c.dc;
    const Units u = units_of(c);
    DeviceRect r;
    r.left = clamp32((x0 + o.column - 1) * u.cw);
    r.top = clamp32(y * u.lh);
    r.right = clamp32((x0 + o.column - 1 + o.width) * u.cw + 1);
    r.bottom = clamp32((y + o.height) * u.lh + 1);
    const DeviceObject pen = dc.create_pen(1, settings.TXTCOLOR());
    const DeviceObject old_pen = dc.select_object(pen);
    // Pattern 0, and patterns beyond the eight, paint no interior.
    const int pattern = o.attribute >= 2 && o.attribute <= 9 ? o.attribute - 1 : 0;
    DeviceObject brush = NO_DEVICE_OBJECT;
    if (pattern != 0) {
        const Colour background = c.window.is_popup() ? settings.POPCOLOR() : settings.BCKCOLOR();
        brush = dc.create_pattern_brush(FILL_PATTERNS[pattern], settings.TXTCOLOR(), background);
    }
    const DeviceObject old_brush = dc.select_object(
        brush != NO_DEVICE_OBJECT ? brush : dc.stock_object(StockObject::HollowBrush));
    const DevicePoint old_origin = dc.set_brush_origin(r.left, r.top);
    if (o.code == ESC_RBOX) {
        const int64_t w = int64_t{o.width} * u.cw, h = int64_t{o.height} * u.lh;
        const int64_t radius = w >= h ? h / 4 : w / 4;
        dc.round_rect(r, clamp32(radius + 1), clamp32(radius + 1));
    } else {
        dc.rectangle(r);
    }
    dc.set_brush_origin(old_origin.x, old_origin.y);
    const DeviceObject was = dc.select_object(old_brush);
    if (brush != NO_DEVICE_OBJECT) dc.delete_object(was);
    dc.delete_object(dc.select_object(old_pen));
}

void draw_picture(const GraphicsObject& o, GraphicsContext& c, HypDocument& doc, int64_t y) {
    if (o.image >= doc.index.size()) return;
    Device& dc = *c.dc;
    const Units u = units_of(c);
    if (!doc.index[o.image].bitmap) ::decode_image(doc, o.image);
    const DecodedImage* image = doc.index[o.image].bitmap.get();
    if (image == nullptr) return;
    int64_t w = image->width, h = std::abs(static_cast<int64_t>(image->height));
    if (c.scale_images) {
        w = u.cw * w / 8;
        h = u.lh * h / 16;
    }
    int64_t b = o.column != 0
                    ? int64_t{o.column} + c.margin_columns - 1
                    : (int64_t{doc.line_width} * u.cw - w) / (2 * u.cw) + c.margin_columns - 1;
    if (b <= c.margin_columns) b = c.margin_columns;
    const int32_t left = clamp32((int64_t{c.origin_column} + b) * u.cw);
    const int32_t top = clamp32(y * u.lh);
    if (!image_has_pixels(*image)) {
        // More than four planes: a frame where the picture would be.
        const DeviceObject pen = dc.create_pen(1, settings.colour_table[IMAGE_LINK_SLOT]);
        const DeviceObject old_pen = dc.select_object(pen);
        const DeviceObject old_brush = dc.select_object(dc.stock_object(StockObject::HollowBrush));
        dc.rectangle({left, top, clamp32(left + w + 1), clamp32(top + h + 1)});
        dc.select_object(old_brush);
        dc.delete_object(dc.select_object(old_pen));
        return;
    }
    if (c.scale_images) {
        const StretchMode old = dc.set_stretch_mode(StretchMode::ColourOnColour);
        dc.stretch_image(left, top, clamp32(w), clamp32(h), *image);
        dc.set_stretch_mode(old);
    } else {
        dc.draw_image(left, top, *image);
    }
}

}  // namespace

const uint8_t FILL_PATTERNS[9][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00},
    {0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00},
    {0x55, 0x88, 0x55, 0x22, 0x55, 0x88, 0x55, 0x22},
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},
    {0xAA, 0x77, 0xAA, 0xDD, 0xAA, 0x77, 0xAA, 0xDD},
    {0xAA, 0xFF, 0xAA, 0xFF, 0xAA, 0xFF, 0xAA, 0xFF},
    {0x77, 0xFF, 0xDD, 0xFF, 0xFF, 0x77, 0xFF, 0xDD},
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
};

bool line_style_paints(int style, uint32_t position) {
    if (style <= 1 || style > LINE_STYLE_COUNT) return true;
    const uint8_t* runs = kDashRuns[style - 2];
    uint32_t period = 0;
    for (int i = 0; runs[i]; ++i) period += runs[i];
    position %= period;
    uint32_t sum = 0;
    for (int i = 0; runs[i]; ++i) {
        sum += runs[i];
        if (sum > position) return i % 2 == 0;
    }
    return false;
}

void DeviceGraphics::decode_image(HypDocument& doc, uint16_t index) {
    ::decode_image(doc, index);
}

void DeviceGraphics::draw_graphics_objects(const std::vector<GraphicsObject>& objects, bool,
                                           GraphicsContext& c) {
    if (c.dc == nullptr) return;  // the exports write their own forms
    HypDocument& doc = c.document ? *c.document : document;
    const int64_t lines_per_page = std::max<int32_t>(c.lines_per_page, 1);
    if (c.print_page != 0 && c.lines_on_page != 0) {
        for (const GraphicsObject& o : objects) {
            if (o.line != c.current_line) continue;
            // The first object due decides whether the page is full.
            if (last_row(o, c, doc) >= lines_per_page) end_printed_page(c);
            break;
        }
    }
    for (const GraphicsObject& o : objects) {
        if (o.line != c.current_line) continue;
        if (c.print_page > 0 && c.page_counter != c.print_page) continue;
        const int64_t x0 = int64_t{c.origin_column} + c.margin_columns;
        const int64_t y = int64_t{c.lines_on_page} + c.origin_line + c.margin_lines;
        switch (o.code) {
            case ESC_LINE:
                draw_line(o, c, x0, y);
                break;
            case ESC_BOX:
            case ESC_RBOX:
                draw_box(o, c, x0, y);
                break;
            case ESC_PICTURE:
                draw_picture(o, c, doc, y);
                break;
            default:
                break;
        }
    }
}

DeviceGraphics& device_graphics() {
    static DeviceGraphics hooks;
    return hooks;
}
