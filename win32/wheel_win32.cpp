// The main window's wheel messages: the system's settings and the window's view given to the
// portable wheel rules; Ctrl with the wheel zooms the display fonts.
#include "win32/wheel_win32.h"

#include <windows.h>

#include <algorithm>

#include "app/wheel.h"
#include "settings/settings.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"

#ifndef SPI_GETWHEELSCROLLCHARS
#define SPI_GETWHEELSCROLLCHARS 0x006C
#endif

namespace {

constexpr UINT DEFAULT_WHEEL_LINES = 3;  // the system's default, for systems without a setting

UINT system_setting(UINT action) {
    UINT value = DEFAULT_WHEEL_LINES;
    if (!SystemParametersInfoA(action, 0, &value, 0)) value = DEFAULT_WHEEL_LINES;
    return value;
}

void zoom(int32_t delta) {
    ViewerWindow& w = viewer_window();
    const int32_t notches = w.wheel.zoom.add(delta, 1);
    // The font dialog's way: FONT and XFONT of one height, stored, the page laid out again.
    if (notches != 0 && zoom_display_fonts(settings.FONT, settings.XFONT, notches)) apply_new_fonts();
}

}  // namespace

void on_mouse_wheel(UINT message, WPARAM wparam) {
    ViewerWindow& w = viewer_window();
    if (w.popup_window != nullptr) {
        SendMessageA(w.popup_window, WM_CHAR, 0, 0);  // closes it, as a key does
        return;
    }
    const int32_t delta = GET_WHEEL_DELTA_WPARAM(wparam);
    const WORD keys = GET_KEYSTATE_WPARAM(wparam);
    if (message == WM_MOUSEWHEEL && (keys & MK_CONTROL)) {
        zoom(delta);
        return;
    }
    const bool horizontal = message == WM_MOUSEHWHEEL || (keys & MK_SHIFT);
    const ViewState& v = w.view;
    ScrollAxis axis;
    axis.position = horizontal ? v.left_column : v.top_line;
    axis.maximum = horizontal ? v.max_left_column : v.max_top_line;
    axis.client_pixels = horizontal ? v.client_width : v.client_height;
    axis.unit_pixels =
        std::max<int32_t>(horizontal ? w.metrics.cell_width : w.metrics.line_height, 1);
    int32_t step = 0;
    if (horizontal) {
        // The vertical wheel with Shift: turned toward the user, the page moves right.
        const int32_t rightward = message == WM_MOUSEHWHEEL ? delta : -delta;
        step = wheel_scroll_step(w.wheel.horizontal, WheelAxis::Horizontal, rightward,
                                 system_setting(SPI_GETWHEELSCROLLCHARS), axis);
    } else {
        step = wheel_scroll_step(w.wheel.vertical, WheelAxis::Vertical, delta,
                                 system_setting(SPI_GETWHEELSCROLLLINES), axis);
    }
    // The repaint of the uncovered part sets the pointer for what is under it now.
    scroll_view_by(horizontal ? SB_HORZ : SB_VERT, step);
}
