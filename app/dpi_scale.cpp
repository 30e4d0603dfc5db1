// DPI scaling: integer arithmetic, so that 96 dpi gives every size back unchanged.
#include "app/dpi_scale.h"

#include <algorithm>

namespace {
// Pixel sizes beyond this are not sizes of this window (a damaged record): they are cut here,
// which keeps the product below with dpi <= MAX_DPI far inside 64 bits anyway.
constexpr int64_t MAX_PIXELS = 1 << 20;
constexpr int32_t MAX_DPI = 96 * 16;
}  // namespace

int32_t scale_to_dpi(int32_t pixels, int32_t dpi) {
    if (dpi <= 0) dpi = BASE_DPI;
    dpi = std::min(dpi, MAX_DPI);
    const int64_t p = std::clamp<int64_t>(pixels, -MAX_PIXELS, MAX_PIXELS);
    const int64_t product = p * dpi;
    const int64_t half = BASE_DPI / 2;
    const int64_t scaled = product >= 0 ? (product + half) / BASE_DPI : (product - half) / BASE_DPI;
    return static_cast<int32_t>(scaled);
}

LogFontRecord font_for_dpi(const LogFontRecord& font, int32_t dpi) {
    LogFontRecord scaled = font;
    scaled.lfHeight = scale_to_dpi(font.lfHeight, dpi);
    scaled.lfWidth = scale_to_dpi(font.lfWidth, dpi);
    return scaled;
}

WindowPixelSizes window_pixel_sizes(int32_t dpi) {
    WindowPixelSizes sizes;
    sizes.button_width = scale_to_dpi(BUTTON_PICTURE_WIDTH, dpi);
    sizes.button_height = scale_to_dpi(BUTTON_PICTURE_HEIGHT, dpi);
    // A line stays one pixel until two fit; thin lines are drawn in whole pixels, never blurred.
    sizes.line_width = std::max(1, scale_to_dpi(1, dpi));
    sizes.cursor_size = scale_to_dpi(CURSOR_PICTURE_SIZE, dpi);
    return sizes;
}
