// Mouse-wheel rules of the main window: wheel deltas to scroll steps, and the Ctrl+wheel zoom.
#pragma once

#include <cstdint>

#include "app/scroll.h"
#include "settings/settings_layout.h"

// One notch of a standard wheel, in the units the wheel messages count in (WHEEL_DELTA).
constexpr int32_t WHEEL_NOTCH = 120;
// The "lines per notch" setting that means one window height per notch (WHEEL_PAGESCROLL).
constexpr uint32_t WHEEL_SCROLL_PAGES = 0xFFFFFFFFu;

// The lines (or columns) one notch moves: the user's setting, a page for WHEEL_SCROLL_PAGES or
// any setting larger than a page; `page_units` is what fits the client area (at least 1).
int32_t wheel_units_per_notch(uint32_t setting, int32_t page_units);

// Collects the deltas of one axis, so that high-resolution wheels and touchpads that send parts
// of a notch move exactly as far as whole notches do. The remainder is kept in delta x units
// (so no rounding is ever lost) and dropped when the direction turns.
class WheelAccumulator {
   public:
    // Adds a delta (positive: away from the user, or tilted right) and returns the whole units
    // it completes, with the delta's sign; `units_per_notch` 0 scrolls nothing.
    int32_t add(int32_t delta, int32_t units_per_notch);
    // Forgets a partial notch (another page shown, the focus gone).
    void reset() { remainder_ = 0; }

   private:
    int64_t remainder_ = 0;
};

// Which way a wheel message scrolls.
enum class WheelAxis { Vertical, Horizontal };

// The step of one wheel message on an axis, clamped where the scroll bar stops: a vertical
// wheel turned away from the user scrolls toward the page's start, a horizontal one tilted
// right scrolls right (so does Shift with the vertical wheel turned toward the user).
int32_t wheel_scroll_step(WheelAccumulator& accumulator, WheelAxis axis, int32_t delta,
                          uint32_t setting, const ScrollAxis& scroll);

// --- Ctrl+wheel: the display fonts larger and smaller ---------------------------------------

// Limits and step of the zoom, in points of a 96-dpi screen (as the font records store them).
constexpr int32_t ZOOM_MIN_POINTS = 6;
constexpr int32_t ZOOM_MAX_POINTS = 48;
constexpr int32_t ZOOM_STEP_POINTS = 1;

// A font record's height after `notches` steps (positive: larger), kept within the limits and
// with its sign (negative: character height, positive: cell height). A width other than 0 is
// scaled with the height. Returns false when nothing changes (at a limit, or no notch).
bool zoom_font_height(LogFontRecord& font, int32_t notches);

// Both display fonts: FONT is zoomed and XFONT takes its height, as the font dialog keeps them
// one line height. False when nothing changes.
bool zoom_display_fonts(LogFontRecord& font, LogFontRecord& xfont, int32_t notches);
