// The main window's text selection: the mouse selects, the paint highlights, Ctrl+C copies it.
#pragma once

#include <windows.h>

#include <string>

// The timer that scrolls the page while a drag holds the pointer beyond the page area.
constexpr UINT_PTR SELECTION_SCROLL_TIMER = 0x5E1;
// The timer that collects a newly shown page's text once the window is idle (the pointer's
// shape over it needs the text; showing the page does not wait for it).
constexpr UINT_PTR SELECTION_TEXT_TIMER = 0x5E2;

// A message of the left button or a pointer move at client point `point`; `on_link` when the
// point is on a link. True when the selection took it: a press on text, a drag, the release
// that ends one. A press on a link stays the link's until it moves further than the system's
// drag distance; its release (a click) is then left to the link as well.
bool selection_mouse(UINT message, WPARAM keys, POINT point, bool on_link);

// WM_CAPTURECHANGED: another window (`taker`) took the pointer from a drag; the drag ends
// where it is, as its release would end it.
void selection_capture_lost(HWND taker);

// Sets the I-beam when `point` lies on selectable text; false (nothing set) elsewhere, and
// while the shown page's text is not collected yet.
bool set_text_cursor(POINT point);

// WM_TIMER: one step of the drag's scrolling, or the page's text collected. False for a timer
// that is not the selection's.
bool selection_timer(UINT_PTR id);

// Draws the selected cells of the paint's `area` in the highlight colours over the page that
// is drawn into `dc` (its background `background`).
void paint_selection(HDC dc, const RECT& area, COLORREF background);

// The selection ends: another page is shown, or the open file was read anew.
void end_selection();

// Whether the walk inverts the search's find (outside high contrast); else the selection's
// paint draws it in the highlight colours.
bool find_drawn_inverted();

// The selected text in UTF-8 (the accessible value, CF_UNICODETEXT); false without a selection.
bool selected_text_utf8(std::string& utf8);

// Ctrl+A: the whole page.
void select_all_command();
// Ctrl+C and "Kopieren": the selection when there is one, else the whole page.
void copy_command();
// After Ctrl+F or Ctrl+G: the find shown on the page becomes the selection.
void select_shown_find();
