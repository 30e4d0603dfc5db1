// The page to screen readers (an accessible object per window, the events a change raises) and
// the high-contrast colours the page, the popup and the preview are drawn in.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <array>
#include <cstdint>

#include "app/accessible_page.h"
#include "win32/accessibility_state_win32.h"
#include "app/contrast_colours.h"
#include "settings/settings.h"

// WM_GETOBJECT of the main window or the popup: the client area's accessible object, or 0 for
// every other object (the caller passes those to DefWindowProc).
LRESULT answer_get_object(HWND hwnd, WPARAM wparam, LPARAM lparam);

// The client object of the main window or the popup `hwnd`, one reference the caller releases
// (what WM_GETOBJECT hands out; a program hosting the window may also take it directly).
IAccessible* new_page_accessible(HWND hwnd);

// Raises the events that tell what changed since the last call: another page (name and value),
// another keyboard selection (focus), a scroll (scrolling ended).
void announce_view_changes();

// Reads the system's high-contrast mode (at start and on WM_SETTINGCHANGE); when it changed,
// the window and popup backgrounds take the colours in effect and the page is drawn again.
void refresh_high_contrast();
// The same for a mode already known (`on`): the backgrounds and the page follow it.
void use_high_contrast(bool on);

// The colours in effect while it lives: in high-contrast mode the stored colour table is
// replaced by the system's colours for the walks drawn meanwhile, and put back afterwards (the
// stored colours are never written with them in place). Without the mode it changes nothing.
class ColoursInEffect {
public:
    ColoursInEffect();
    ~ColoursInEffect();
    ColoursInEffect(const ColoursInEffect&) = delete;
    ColoursInEffect& operator=(const ColoursInEffect&) = delete;

private:
    bool replaced_ = false;
    std::array<uint32_t, COLOUR_TABLE_SIZE> stored_{};
};
