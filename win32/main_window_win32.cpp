// The main window procedure: messages become calls; painting, scrolling, mouse and menus.
#include "win32/main_window_win32.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "app/dpi_scale.h"
#include "app/link_selection.h"
#include "app/scroll.h"
#include "hyp/charset.h"
#include "render/page_walk.h"
#include "render/text_run.h"
#include "settings/settings.h"
#include "win32/accessibility_win32.h"
#include "win32/commands_win32.h"
#include "win32/deferred_dlls_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/navigation_win32.h"
#include "win32/page_view_win32.h"
#include "win32/print_win32.h"
#include "win32/reload_win32.h"
#include "win32/selection_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"
#include "win32/wheel_win32.h"

namespace {

ViewState& view() {
    return viewer_window().view;
}

RECT client_rect() {
    ViewerWindow& w = viewer_window();
    RECT rc{};
    GetClientRect(w.hwnd, &rc);
    return rc;
}

// --- creation ------------------------------------------------------------------------------

void on_create(HWND hwnd) {
    ViewerWindow& w = viewer_window();
    w.hwnd = hwnd;
    view().document_width = document_width_for(document.line_width, w.metrics.cell_width);
    if (document.start_line != -1) {
        view().top_line = document.start_line;
        document.start_line = -1;
    }
    make_picture_buttons(GetMenu(hwnd));
    // The frame was laid out around the items' texts: laid out again around the pictures, or
    // the buttons' row keeps the height of a row of text and the page covers their lower part.
    DrawMenuBar(hwnd);
    ensure_layout(view().current_page);
    // The window was made with the page's name: once the layout found the page's own title,
    // the caption names that, as it does for every page shown later.
    if (const IndexEntry* entry = page_entry(view().current_page); entry && entry->title) {
        const WindowCaption caption = window_caption(*entry->title, document.source_charset, view().conversion);
        if (!caption.wide.empty()) {
            set_caption_wide(hwnd, reinterpret_cast<const wchar_t*>(caption.wide.c_str()));
        } else {
            w.title = caption.narrow;
            set_caption(hwnd, caption.narrow.c_str());
        }
    }
    update_toolbar_states();
    start_following(hwnd);
    w.window_created = true;
}

// --- size, paint ---------------------------------------------------------------------------

// A scroll bar shown or hidden changes the client size, not the window's placement: only a
// placement that differs from the stored one is written (a registry write each time).
void save_changed_window_placement() {
    ViewerWindow& w = viewer_window();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(w.hwnd, &placement)) return;
    static_assert(sizeof(placement) == sizeof(settings.WindowPlacement), "placement record");
    if (memcmp(&placement, &settings.WindowPlacement, sizeof(placement)) != 0)
        save_window_placement();
}

void on_size(LPARAM lparam) {
    ViewerWindow& w = viewer_window();
    view().client_width = LOWORD(lparam);
    view().client_height = HIWORD(lparam);
    ensure_layout(view().current_page);
    renew_scroll_ranges();
    if (w.window_created) save_changed_window_placement();
}

void on_paint(HWND hwnd) {
    paint_page_view(hwnd);

    // The cursor shape follows the new contents.
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(hwnd, &cursor);
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
}

// --- keys ----------------------------------------------------------------------------------

// The scroll keys: the bar and code a key scrolls by, plain and with its modifier (Shift for
// the arrows sideways, Ctrl for Home and End, which go to the page's top and bottom).
struct ScrollKey {
    WPARAM key;
    int bar;
    int code;
    int modified_bar;
    int modified_code;
    int modifier;  // VK_SHIFT or VK_CONTROL
};

constexpr ScrollKey SCROLL_KEYS[] = {
    {VK_UP, SB_VERT, SB_LINEUP, SB_VERT, SB_LINEUP, VK_SHIFT},
    {VK_DOWN, SB_VERT, SB_LINEDOWN, SB_VERT, SB_LINEDOWN, VK_SHIFT},
    {VK_PRIOR, SB_VERT, SB_PAGEUP, SB_VERT, SB_PAGEUP, VK_SHIFT},
    {VK_NEXT, SB_VERT, SB_PAGEDOWN, SB_VERT, SB_PAGEDOWN, VK_SHIFT},
    {VK_LEFT, SB_HORZ, SB_LINELEFT, SB_HORZ, SB_PAGELEFT, VK_SHIFT},
    {VK_RIGHT, SB_HORZ, SB_LINERIGHT, SB_HORZ, SB_PAGERIGHT, VK_SHIFT},
    {VK_HOME, SB_HORZ, SB_LEFT, SB_VERT, SB_TOP, VK_CONTROL},
    {VK_END, SB_HORZ, SB_RIGHT, SB_VERT, SB_BOTTOM, VK_CONTROL},
};

void on_keydown(WPARAM key) {
    for (const ScrollKey& k : SCROLL_KEYS) {
        if (k.key != key) continue;
        const bool modified = GetKeyState(k.modifier) < 0;
        scroll_view(modified ? k.modified_bar : k.bar, modified ? k.modified_code : k.code, 0);
        return;
    }
}

// --- mouse ---------------------------------------------------------------------------------

void show_link_information(const LinkArea& area) {
    ViewerWindow& w = viewer_window();
    const IndexEntry* target = page_entry(area.target);
    const char* type_name = target ? entry_type_name(target->type) : nullptr;
    const bool named = target && target->name;
    std::string text = "Der angewählte Link hat den Typ:\n";
    text += type_name ? type_name : "";
    text += "\n";
    if (named) {
        text += "und den Wert:\n";
        text += convert_charset(*target->name, false, w.view.conversion);
        text += "\n";
    }
    MessageBoxA(w.hwnd, text.c_str(), "Linkinfo", MB_OK);
}

void on_mouse(UINT message, WPARAM keys, LPARAM lparam) {
    ViewerWindow& w = viewer_window();
    const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    const RECT rc = client_rect();
    const IndexEntry* entry = page_entry(view().current_page);
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    const LinkArea* hit = nullptr;
    if (PtInRect(&rc, point) && entry != nullptr) {
        const int32_t document_x = point.x + view().left_column * view_cell_width();
        const int32_t line = point.y / view_line_height() + view().top_line;
        for (const LinkArea& area : entry->links) {
            if (area.line == line && document_x - area.x >= 0 && document_x - area.x < area.width) {
                hit = &area;
                break;
            }
        }
    }
    // A press on text, a drag that selects and its release are the selection's.
    if (selection_mouse(message, keys, point, hit != nullptr)) return;
    if (hit == nullptr) {
        if (!set_text_cursor(point)) SetCursor(arrow);
        return;
    }
    SetCursor((keys & MK_LBUTTON) ? w.pressed_cursor : w.link_cursor);
    if (message != WM_LBUTTONUP) return;
    if (keys & MK_SHIFT) {
        show_link_information(*hit);
        return;
    }
    // The area itself, not a copy: following records its ordinal in the page's list.
    follow_link(*hit, point);
}

// --- menus ---------------------------------------------------------------------------------

void enable_item(HMENU menu, unsigned id, bool enabled) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void check_item(HMENU menu, unsigned id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void on_init_menu_popup(HMENU popup, LPARAM lparam) {
    ViewerWindow& w = viewer_window();
    if (HIWORD(lparam)) return;  // the system menu
    const unsigned position = LOWORD(lparam);
    HMENU bar = GetMenu(w.hwnd);
    if (bar == nullptr || GetSubMenu(bar, position) != popup) return;  // not a menu-bar menu
    if (position == MENU_POSITION_NAVIGATE) {
        const EnableState state = current_enable_state();
        for (unsigned id :
             {CM_PREV_LOGICAL, CM_NEXT_LOGICAL, CM_PREV_PHYSICAL, CM_NEXT_PHYSICAL, CM_FIRST_PAGE,
              CM_LAST_PAGE, CM_TOC, CM_INDEX_PAGE, CM_HELP_PAGE, CM_BACK, CM_CLEAR_STACK}) {
            enable_item(popup, id, command_enabled(id, state));
        }
    } else if (position == MENU_POSITION_OPTIONS) {
        check_item(popup, CM_TOGGLE_XFONT, w.text_font == &settings.XFONT);
        check_item(popup, CM_TOGGLE_MULTISPACE, settings.expmultispace != 0);
        check_item(popup, CM_TOGGLE_SCALE_BITMAPS, settings.scale_bitmaps != 0);
    }
}

void on_drop_files(HDROP drop) {
    char path[SETTINGS_PATH_SIZE] = "";
    deferred::DragQueryFileA(drop, 0, path, sizeof(path));
    deferred::DragFinish(drop);
    if (path[0]) open_dropped_file(path);
}

// A message for the popup, when one is open: it closes on any of them.
bool forward_to_popup(UINT message, WPARAM wparam, LPARAM lparam) {
    ViewerWindow& w = viewer_window();
    if (w.popup_window == nullptr) return false;
    SendMessageA(w.popup_window, message, wparam, lparam);
    return true;
}

// Whether a frame paint's area (screen coordinates) reaches the scroll bars: they lie right of
// and below the client area, their corner box included.
bool reaches_scroll_bars(HWND hwnd, HRGN area) {
    RECT window{}, client{};
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const RECT right_of_client{client.right, client.top, window.right, window.bottom};
    const RECT below_client{window.left, client.bottom, window.right, window.bottom};
    return RectInRegion(area, &right_of_client) || RectInRegion(area, &below_client);
}

// WM_NCPAINT. Some window systems draw every part of the frame on each frame paint however
// little of it is to be drawn again, and each scroll bar costs them about as much as caption
// and menu bar together. A frame paint that does not reach the scroll bars (a new caption, a
// changed picture button) is therefore drawn as if the window had none: the bars keep their
// state, and what they would have drawn lies outside the paint's area anyway.
LRESULT paint_frame(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    const LONG_PTR bars = style & (WS_HSCROLL | WS_VSCROLL);
    HRGN area = reinterpret_cast<HRGN>(wparam);
    const bool whole_frame = wparam <= 1;  // 1 stands for the whole frame
    if (bars == 0 || whole_frame || reaches_scroll_bars(hwnd, area)) {
        return DefWindowProcA(hwnd, WM_NCPAINT, wparam, lparam);
    }
    SetWindowLongPtrA(hwnd, GWL_STYLE, style & ~bars);
    const LRESULT result = DefWindowProcA(hwnd, WM_NCPAINT, wparam, lparam);
    SetWindowLongPtrA(hwnd, GWL_STYLE, style);
    return result;
}

// Keys, commands, scroll bars, the wheel and the mouse: whether the message was handled (its
// result is then 0); a key the popup does not take goes on to the default procedure.
bool on_input(ViewerWindow& w, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_KEYDOWN:
            if (!forward_to_popup(message, wparam, lparam)) on_keydown(wparam);
            announce_view_changes();
            return true;
        case WM_CHAR:
            return forward_to_popup(message, wparam, lparam);
        case WM_COMMAND:
            look_at_open_file();  // no page of a changed file read at the old offsets
            if (w.popup_window != nullptr) {
                SendMessageA(w.popup_window, WM_CHAR, 0, 0);
                return true;
            }
            run_command(LOWORD(wparam));
            announce_view_changes();
            return true;
        case WM_VSCROLL:
            scroll_view(SB_VERT, LOWORD(wparam), HIWORD(wparam));
            announce_view_changes();
            return true;
        case WM_HSCROLL:
            scroll_view(SB_HORZ, LOWORD(wparam), HIWORD(wparam));
            announce_view_changes();
            return true;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            on_mouse_wheel(message, wparam);
            announce_view_changes();
            return true;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            if (w.popup_window != nullptr) {
                if (message == WM_LBUTTONUP) forward_to_popup(message, wparam, lparam);
                return true;
            }
            if (message == WM_LBUTTONUP) look_at_open_file();  // before a link is followed
            on_mouse(message, wparam, lparam);
            return true;
        case WM_RBUTTONUP:
            if (w.menu_tracking) return true;
            if (forward_to_popup(message, wparam, lparam)) return true;
            if (history_not_empty()) run_command(CM_BACK);
            return true;
        case WM_DROPFILES:
            on_drop_files(reinterpret_cast<HDROP>(wparam));
            return true;
        default:
            return false;
    }
}

}  // namespace

// --- the window procedure ------------------------------------------------------------------

LRESULT CALLBACK main_window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        // The state object start_viewer made: reached from the window from here on.
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<ViewerWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (state == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
    ViewerWindow& w = *state;
    remember_print_owner(hwnd);  // the first message makes the window the print dialog's owner
    if (on_input(w, message, wparam, lparam)) return 0;
    switch (message) {
        case WM_CREATE:
            on_create(hwnd);
            refresh_high_contrast();
            return 0;
        case WM_DESTROY:
            release_page_view();
            save_exit_state();
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            on_size(lparam);
            return 0;
        case WM_PAINT:
            on_paint(hwnd);
            announce_view_changes();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills the background off-screen
        case WM_NCPAINT:
            return paint_frame(hwnd, wparam, lparam);
        case WM_CAPTURECHANGED:
            selection_capture_lost(reinterpret_cast<HWND>(lparam));
            return 0;
        case WM_TIMER:
            if (selection_timer(wparam)) return 0;
            if (wparam != RELOAD_TIMER_ID) break;
            if (!IsIconic(hwnd)) look_at_open_file();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wparam) != WA_INACTIVE) look_at_open_file();
            break;
        case WM_ACTIVATEAPP:
            if (wparam) look_at_open_file();
            break;
        case WM_DPICHANGED:
            on_dpi_changed(hwnd, wparam, lparam);
            return 0;
        case WM_INITMENUPOPUP:
            on_init_menu_popup(reinterpret_cast<HMENU>(wparam), lparam);
            return 0;
        case WM_GETOBJECT:
            if (const LRESULT object = answer_get_object(hwnd, wparam, lparam)) return object;
            break;
        case WM_SETTINGCHANGE:
            refresh_high_contrast();
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}
