// The main window: its state, its window procedure, and the operations commands build on.
#pragma once

#include <windows.h>

#include "app/view_state.h"

// Everything the main window owns besides the document.
struct MainWindow {
    HWND hwnd = nullptr;
    ViewState view;
    bool window_created = false;       // set at the end of WM_CREATE
    bool menu_tracking = false;        // one of the window's popup menus is being tracked
    HWND popup_window = nullptr;       // the open popup window, if any
    int32_t popup_entry = 0;           // the entry the popup shows
    HCURSOR link_cursor = nullptr;     // cursor 1
    HCURSOR pressed_cursor = nullptr;  // cursor 2
};
extern MainWindow main_window;

LRESULT CALLBACK main_window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Items 1001 to 1018 of the menu bar become the pictures of viewer.toolbar_bitmaps; their state
// flags stay.
void make_picture_buttons(HMENU menu);

// The walk of mode Layout for `page` when its line count is still -1.
void ensure_layout(int32_t page);

// Renews both scroll ranges and clamps both positions (client size from the window); sets the
// bars' ranges and positions.
void renew_scroll_ranges();

// Sets a scroll bar's range 0 .. maximum and its position, each only when it changed.
void set_scroll_bar(HWND hwnd, int bar, int32_t maximum, int32_t position);

// Recomputes the enabled states of the picture buttons 1001 to 1014 and redraws the menu bar
// once the window exists.
void update_toolbar_states();
// Draws the menu bar (the toolbar of pictures) again with the next paint of the frame.
void redraw_menu_bar(HWND hwnd);

// The enable facts of the shown page (history and bookmarks included).
EnableState current_enable_state();

// After a change of fonts, of the alternative-font toggle or of one of the two display
// toggles: measures the fonts again, corrects the link lines, renews the scroll ranges and
// repaints everything. `scaling_changed` for the picture-scaling toggle.
void relayout_view(bool scaling_changed);

// Scrolls one axis (SB_VERT or SB_HORZ) by a scroll-bar code; `thumb` for SB_THUMBTRACK.
void scroll_view(int bar, int code, int32_t thumb);

// Moves one axis by `step` units already clamped to its range: the window's pixels and the bar.
void scroll_view_by(int bar, int32_t step);

// WM_MOUSEWHEEL and WM_MOUSEHWHEEL (win32/wheel_win32.cpp): scrolling, or with Ctrl the fonts
// larger and smaller; an open popup is closed first.
void on_mouse_wheel(UINT message, WPARAM wparam);

// LastLoadIndex and LastLoadZeile from the view, OptionsDiv written.
void save_exit_state();

// Stores the window's placement in WindowPlacement and writes OptionsDiv.
void save_window_placement();

// After the colour dialog was confirmed: the window background takes the new BCKCOLOR (the
// brush it replaces is deleted), the popup class is registered again with a brush of the new
// POPCOLOR, and the window is repainted. The caller writes the colour settings.
void apply_new_colours();

// After the font dialog was confirmed: the font settings are written and the view is laid out
// with the new fonts.
void apply_new_fonts();

// Whether a bookmark is in use (the marks button is available then).
bool any_bookmark_set();
