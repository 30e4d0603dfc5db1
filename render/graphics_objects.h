// Line graphics and pictures collected by the page walk, and the graphics module's entry points.
#pragma once

#include <cstdint>
#include <vector>

#include "render/device.h"
#include "render/screen_metrics.h"
#include "render/text_run.h"

struct HypDocument;
class PageWriter;

// One graphics code met while walking a page with a device or in the Stg and Html exports.
// Fields in the order of the graphics module; all as stored, except `line` (see below).
struct GraphicsObject {
    uint16_t attribute = 0;  // lines: style and arrow bits; boxes: 1 + fill pattern; pictures: 0
    uint16_t width = 0;      // lines: extent + 128; boxes: width; pictures: line-reserving flag
    uint16_t height = 0;     // lines: extent + 1; boxes: height; pictures: the unused ninth byte
    uint16_t image = 0;      // pictures: the image entry
    uint16_t code = 0;       // ESC_PICTURE, ESC_LINE, ESC_BOX or ESC_RBOX
    uint16_t column = 0;     // counted from 1 (pictures: 0 = centred)
    // The text line the object belongs to; with a device, plus the display lines that
    // line-reserving pictures earlier in the page add, so it compares with the walk's
    // current_line.
    uint16_t line = 0;
};

// What the graphics module needs from the walk to draw (or write) the objects due at the walk's
// current line, and to end printed pages in the middle of the walk. Fields in the graphics
// module's order; the three references are the walk's own counters, updated in place.
struct GraphicsContext {
    const std::vector<GraphicsObject>* objects;
    uint16_t& lines_on_page;
    Device* dc;  // none in the exports
    ScreenMetrics metrics;
    int32_t margin_columns;
    bool scale_images;
    int32_t origin_column;
    int32_t origin_line;
    uint16_t& current_line;
    PageWindow window;
    Colour current_colour;
    LogFontRecord* current_font;
    uint8_t current_attributes;
    int32_t print_page;  // 0 screen, -1 printer, n >= 1 preview of printed page n
    int32_t margin_lines;
    int32_t& page_counter;
    // Besides the fields above: the printed page length of the printer (Print and Preview), the
    // document (its line width centres pictures) and, in the exports, the page's writer.
    int32_t lines_per_page;
    HypDocument* document;
    PageWriter* writer;
};

// The graphics module's operations on a device, supplied by that module. The walk reaches them
// through this interface so that the walk's shape does not depend on whether they are present.
class GraphicsHooks {
   public:
    virtual ~GraphicsHooks() = default;
    // Decodes image entry `index` into its `bitmap` (loading its data and dropping it again).
    // Leaves `bitmap` none when the entry cannot be decoded.
    virtual void decode_image(HypDocument& doc, uint16_t index) = 0;
    // Draws, in list order, every object whose `line` equals context.current_line; may end
    // printed pages through the context's references.
    virtual void draw_graphics_objects(const std::vector<GraphicsObject>& objects, bool html,
                                       GraphicsContext& context) = 0;
};
