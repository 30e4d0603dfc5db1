// Line graphics, boxes and pictures drawn on a device (screen, printer, preview): the graphics
// hooks the page walk calls at each line.
#pragma once

#include <cstdint>

#include "render/graphics_objects.h"

// Line styles 2 to 7 as on/off runs in pixels, starting "on"; style 1 is solid.
constexpr int LINE_STYLE_COUNT = 7;

// Whether pixel number `position` (from 0 at the line's start) of a line of `style` is painted.
bool line_style_paints(int style, uint32_t position);

// The fill patterns 1 to 8: eight rows each, most significant bit leftmost, 1 = text colour.
extern const uint8_t FILL_PATTERNS[9][8];

class DeviceGraphics : public GraphicsHooks {
   public:
    void decode_image(HypDocument& doc, uint16_t index) override;
    // Draws each object whose line is the context's current line; on printed pages an object
    // that would pass the page's last line starts a new page first.
    void draw_graphics_objects(const std::vector<GraphicsObject>& objects, bool html,
                               GraphicsContext& context) override;
};

// The hooks the viewer's window and printer walks are given.
DeviceGraphics& device_graphics();
