// The main window's view: layout, scroll ranges and positions, the picture buttons' states, the
// fonts and colours taken anew, the screen's DPI, and the placement and exit state stored.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/command_table.h"
#include "hyp/document.h"
#include "render/page_walk.h"

// The entry `page` of the open hypertext; nullptr when there is none.
IndexEntry* page_entry(int32_t page);

// The view's units in pixels, each at least 1: a display line's height and a cell's width.
int32_t view_line_height();
int32_t view_cell_width();

// Items 1001 to 1018 of the menu bar become the pictures of the viewer's toolbar bitmaps; their
// state flags stay.
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

// Whether a bookmark is in use (the marks button is available then).
bool any_bookmark_set();
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

// After the colour dialog was confirmed: the window background takes the new BCKCOLOR (the
// brush it replaces is deleted), the popup class is registered again with a brush of the new
// POPCOLOR, and the window is repainted. The caller writes the colour settings.
void apply_new_colours();

// After the font dialog was confirmed: the font settings are written and the view is laid out
// with the new fonts.
void apply_new_fonts();

// Stores the window's placement in WindowPlacement and writes OptionsDiv.
void save_window_placement();

// LastLoadIndex and LastLoadZeile from the view, OptionsDiv written.
void save_exit_state();

// What the main window and the popup walk their pages with: the screen's metrics, the text font
// and XFONT as the screen's DPI draws them, and the picture scaling setting.
WalkFonts viewer_walk_fonts();

// "Vellumar - " and the entry's name converted for the screen.
std::string window_title_for(unsigned entry);

// After the main window was created: when its screen has another DPI than the system's, the
// pictures, cursors and fonts are made again for it.
void adopt_window_dpi(HWND hwnd);

// WM_DPICHANGED: the window moved to a screen of another DPI. The pictures and cursors are
// made again, the window takes the suggested rectangle, the page is laid out again with its
// top line kept.
void on_dpi_changed(HWND hwnd, WPARAM wparam, LPARAM lparam);
