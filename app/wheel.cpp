// Wheel arithmetic: deltas in 1/120 notch, heights in pixels of a 96-dpi screen (72 points).
#include "app/wheel.h"

#include <algorithm>

namespace {

constexpr int32_t POINTS_PER_INCH = 72;
constexpr int32_t PIXELS_PER_INCH = 96;  // the font records' pixels

// Heights far outside the limits (a damaged record) are taken as the nearest limit: the
// arithmetic below then never sees more than a few hundred pixels.
constexpr int32_t MAX_PIXELS = 1000;

int32_t points_of(int32_t pixels) {
    return (pixels * POINTS_PER_INCH + PIXELS_PER_INCH / 2) / PIXELS_PER_INCH;
}
int32_t pixels_of(int32_t points) {
    return (points * PIXELS_PER_INCH + POINTS_PER_INCH / 2) / POINTS_PER_INCH;
}
int32_t magnitude(int32_t height) {
    return height < 0 ? (height < -MAX_PIXELS ? MAX_PIXELS : -height)
                      : std::min(height, MAX_PIXELS);
}
// A width that follows a height from `old_pixels` to `pixels` (both 1 .. MAX_PIXELS).
int32_t scaled_width(int32_t width, int32_t pixels, int32_t old_pixels) {
    const int64_t scaled =
        (static_cast<int64_t>(magnitude(width)) * pixels + old_pixels / 2) / old_pixels;
    return static_cast<int32_t>(std::max<int64_t>(1, scaled));
}

}  // namespace

int32_t wheel_units_per_notch(uint32_t setting, int32_t page_units) {
    const int32_t page = std::max(page_units, 1);
    if (setting == WHEEL_SCROLL_PAGES || setting > static_cast<uint32_t>(page)) return page;
    return static_cast<int32_t>(setting);
}

int32_t WheelAccumulator::add(int32_t delta, int32_t units_per_notch) {
    if (delta == 0 || units_per_notch <= 0) return 0;
    // A turn the other way starts afresh: what was left belonged to the old direction.
    if ((remainder_ < 0 && delta > 0) || (remainder_ > 0 && delta < 0)) remainder_ = 0;
    // |delta| < 2^31 and units <= a page (< 2^31): the product fits 64 bits with room.
    remainder_ += static_cast<int64_t>(delta) * units_per_notch;
    const int64_t units = remainder_ / WHEEL_NOTCH;  // truncates toward zero, keeping the sign
    remainder_ -= units * WHEEL_NOTCH;
    return static_cast<int32_t>(units);
}

int32_t wheel_scroll_step(WheelAccumulator& accumulator, WheelAxis axis, int32_t delta,
                          uint32_t setting, const ScrollAxis& scroll) {
    const int32_t page = scroll.unit_pixels > 0 ? scroll.client_pixels / scroll.unit_pixels : 0;
    const int32_t units = accumulator.add(delta, wheel_units_per_notch(setting, page));
    const int32_t request = axis == WheelAxis::Vertical ? -units : units;
    return clamp_scroll_step(request, scroll);
}

bool zoom_font_height(LogFontRecord& font, int32_t notches) {
    if (notches == 0 || font.lfHeight == 0) return false;
    const int32_t old_pixels = magnitude(font.lfHeight);
    const int32_t old_points = points_of(old_pixels);
    const int32_t points =
        std::clamp(old_points + notches * ZOOM_STEP_POINTS, ZOOM_MIN_POINTS, ZOOM_MAX_POINTS);
    const int32_t pixels = pixels_of(points);
    if (pixels == old_pixels) return false;
    if (font.lfWidth != 0) font.lfWidth = scaled_width(font.lfWidth, pixels, old_pixels);
    font.lfHeight = font.lfHeight < 0 ? -pixels : pixels;
    return true;
}

bool zoom_display_fonts(LogFontRecord& font, LogFontRecord& xfont, int32_t notches) {
    if (!zoom_font_height(font, notches)) return false;
    if (xfont.lfWidth != 0 && xfont.lfHeight != 0) {
        xfont.lfWidth =
            scaled_width(xfont.lfWidth, magnitude(font.lfHeight), magnitude(xfont.lfHeight));
    }
    xfont.lfHeight = font.lfHeight;
    return true;
}
