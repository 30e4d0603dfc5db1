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
#include "win32/commands_win32.h"
#include "win32/deferred_dlls_win32.h"
#include "win32/dpi_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/navigation_win32.h"
#include "win32/page_view_win32.h"
#include "win32/print_win32.h"
#include "win32/search_win32.h"
#include "win32/viewer_win32.h"

MainWindow main_window;

namespace {

ViewState& view() {
    return main_window.view;
}

IndexEntry* entry_at(int32_t page) {
    if (page < 0 || static_cast<std::size_t>(page) >= document.index.size()) return nullptr;
    return &document.index[page];
}

int32_t line_height() {
    return std::max<int32_t>(viewer.metrics.line_height, 1);
}
int32_t cell_width() {
    return std::max<int32_t>(viewer.metrics.cell_width, 1);
}

PageWindow walk_window() {
    return {WindowRole::Main, main_window.hwnd};
}

RECT client_rect() {
    RECT rc{};
    GetClientRect(main_window.hwnd, &rc);
    return rc;
}

// --- creation ------------------------------------------------------------------------------

}  // namespace

// Items 1001 to 1018 of the menu bar become pictures; their state flags stay.
void make_picture_buttons(HMENU menu) {
    for (unsigned id = TB_FIRST_BUTTON; id <= TB_LAST_BUTTON; ++id) {
        const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
        if (state == static_cast<UINT>(-1)) continue;
        const UINT kept =
            state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK);
        HBITMAP picture = viewer.toolbar_bitmaps[id - TB_FIRST_BUTTON];
        ModifyMenuA(menu, id, MF_BYCOMMAND | MF_BITMAP | kept, id,
                    reinterpret_cast<LPCSTR>(picture));
    }
}

namespace {

void on_create(HWND hwnd) {
    main_window.hwnd = hwnd;
    view().document_width = document_width_for(document.line_width, viewer.metrics.cell_width);
    if (document.start_line != -1) {
        view().top_line = document.start_line;
        document.start_line = -1;
    }
    make_picture_buttons(GetMenu(hwnd));
    ensure_layout(view().current_page);
    update_toolbar_states();
    main_window.window_created = true;
}

// --- size, paint ---------------------------------------------------------------------------

// A scroll bar shown or hidden changes the client size, not the window's placement: only a
// placement that differs from the stored one is written (a registry write each time).
void save_changed_window_placement() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(main_window.hwnd, &placement)) return;
    static_assert(sizeof(placement) == sizeof(settings.WindowPlacement), "placement record");
    if (memcmp(&placement, &settings.WindowPlacement, sizeof(placement)) != 0) save_window_placement();
}

void on_size(LPARAM lparam) {
    view().client_width = LOWORD(lparam);
    view().client_height = HIWORD(lparam);
    ensure_layout(view().current_page);
    renew_scroll_ranges();
    if (main_window.window_created) save_changed_window_placement();
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

void on_keydown(WPARAM key) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
        case VK_UP:
            scroll_view(SB_VERT, SB_LINEUP, 0);
            break;
        case VK_DOWN:
            scroll_view(SB_VERT, SB_LINEDOWN, 0);
            break;
        case VK_PRIOR:
            scroll_view(SB_VERT, SB_PAGEUP, 0);
            break;
        case VK_NEXT:
            scroll_view(SB_VERT, SB_PAGEDOWN, 0);
            break;
        case VK_LEFT:
            scroll_view(SB_HORZ, shift ? SB_PAGELEFT : SB_LINELEFT, 0);
            break;
        case VK_RIGHT:
            scroll_view(SB_HORZ, shift ? SB_PAGERIGHT : SB_LINERIGHT, 0);
            break;
        case VK_HOME:
            if (ctrl) {
                scroll_view(SB_VERT, SB_TOP, 0);
            } else {
                scroll_view(SB_HORZ, SB_LEFT, 0);
            }
            break;
        case VK_END:
            if (ctrl) {
                scroll_view(SB_VERT, SB_BOTTOM, 0);
            } else {
                scroll_view(SB_HORZ, SB_RIGHT, 0);
            }
            break;
        default:
            break;
    }
}

// --- mouse ---------------------------------------------------------------------------------

void show_link_information(const LinkArea& area) {
    const IndexEntry* target = entry_at(area.target);
    const char* type_name = target ? entry_type_name(target->type) : nullptr;
    const bool named = target && target->name;
    std::string text = "Der angewählte Link hat den Typ:\n";
    text += type_name ? type_name : "";
    text += "\n";
    if (named) {
        text += "und den Wert:\n";
        text += convert_charset(*target->name);
        text += "\n";
    }
    MessageBoxA(main_window.hwnd, text.c_str(), "Linkinfo", MB_OK);
}

void on_mouse(UINT message, WPARAM keys, LPARAM lparam) {
    const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    const RECT rc = client_rect();
    const IndexEntry* entry = entry_at(view().current_page);
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    if (!PtInRect(&rc, point) || entry == nullptr || entry->links.empty()) {
        SetCursor(arrow);
        return;
    }
    const int32_t document_x = point.x + view().left_column * cell_width();
    const int32_t line = point.y / line_height() + view().top_line;
    const LinkArea* hit = nullptr;
    for (const LinkArea& area : entry->links) {
        if (area.line == line && document_x - area.x >= 0 && document_x - area.x < area.width) {
            hit = &area;
            break;
        }
    }
    if (hit == nullptr) {
        SetCursor(arrow);
        return;
    }
    SetCursor((keys & MK_LBUTTON) ? main_window.pressed_cursor : main_window.link_cursor);
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

// Enables or grays an item; whether its state changed.
bool set_item_enabled(HMENU menu, unsigned id, bool enabled) {
    const UINT previous =
        EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (previous == static_cast<UINT>(-1)) return false;
    return ((previous & (MF_GRAYED | MF_DISABLED)) == 0) != enabled;
}

void check_item(HMENU menu, unsigned id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void on_init_menu_popup(HMENU popup, LPARAM lparam) {
    if (HIWORD(lparam)) return;  // the system menu
    const unsigned position = LOWORD(lparam);
    HMENU bar = GetMenu(main_window.hwnd);
    if (bar == nullptr || GetSubMenu(bar, position) != popup) return;  // not a menu-bar menu
    if (position == MENU_POSITION_NAVIGATE) {
        const EnableState state = current_enable_state();
        for (unsigned id :
             {CM_PREV_LOGICAL, CM_NEXT_LOGICAL, CM_PREV_PHYSICAL, CM_NEXT_PHYSICAL, CM_FIRST_PAGE,
              CM_LAST_PAGE, CM_TOC, CM_INDEX_PAGE, CM_HELP_PAGE, CM_BACK, CM_CLEAR_STACK}) {
            enable_item(popup, id, command_enabled(id, state));
        }
    } else if (position == MENU_POSITION_OPTIONS) {
        check_item(popup, CM_TOGGLE_XFONT, viewer.text_font == &settings.XFONT);
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
    if (main_window.popup_window == nullptr) return false;
    SendMessageA(main_window.popup_window, message, wparam, lparam);
    return true;
}

}  // namespace

// --- operations shared with the commands ---------------------------------------------------

void ensure_layout(int32_t page) {
    IndexEntry* entry = entry_at(page);
    if (entry == nullptr || entry->line_count != -1) return;
    interpret_page(PageWalkArgs::layout(document, static_cast<uint16_t>(page), walk_window(),
                                        viewer_walk_fonts()));
}

void renew_scroll_ranges() {
    HWND hwnd = main_window.hwnd;
    ViewState& v = view();
    const IndexEntry* entry = entry_at(v.current_page);
    const int32_t line_count = entry ? std::max(entry->line_count, 0) : 0;
    const RECT rc = client_rect();
    v.max_top_line = max_top_line_for(line_count, rc.bottom - rc.top, viewer.metrics.line_height);
    v.top_line = std::min(v.top_line, v.max_top_line);
    set_scroll_bar(hwnd, SB_VERT, v.max_top_line, v.top_line);
    v.document_width = document_width_for(document.line_width, viewer.metrics.cell_width);
    v.max_left_column =
        max_left_column_for(v.document_width, v.client_width, viewer.metrics.cell_width);
    v.left_column = std::min(v.left_column, v.max_left_column);
    set_scroll_bar(hwnd, SB_HORZ, v.max_left_column, v.left_column);
}

void set_scroll_bar(HWND hwnd, int bar, int32_t maximum, int32_t position) {
    SCROLLINFO now{};
    now.cbSize = sizeof(now);
    now.fMask = SIF_RANGE | SIF_POS;
    const bool known = GetScrollInfo(hwnd, bar, &now) != 0;
    if (!known || now.nMin != 0 || now.nMax != maximum) {
        // Setting a range lays the frame out again (a bar may appear or go) even when it is
        // the same: only a new range is set, together with the position.
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_POS;
        info.nMin = 0;
        info.nMax = maximum;
        info.nPos = position;
        SetScrollInfo(hwnd, bar, &info, TRUE);
    } else if (now.nPos != position) {
        SetScrollPos(hwnd, bar, position, TRUE);
    }
}

bool any_bookmark_set() {
    return std::any_of(std::begin(settings.Marken), std::end(settings.Marken),
                       [](const Bookmark& b) { return b.in_use != 0; });
}

EnableState current_enable_state() {
    return compute_enable_state(document, view(), history_not_empty(), any_bookmark_set());
}

void update_toolbar_states() {
    HMENU bar = GetMenu(main_window.hwnd);
    if (bar == nullptr) return;
    const EnableState state = current_enable_state();
    bool changed = false;
    for (unsigned id = TB_BACK; id <= TB_HELP; ++id)
        changed |= set_item_enabled(bar, id, command_enabled(id, state));
    // Drawing the menu bar of pictures again is slow: only when a button changed, and with
    // the next paint rather than at once (DrawMenuBar lays the whole frame out anew).
    if (changed && main_window.window_created) redraw_menu_bar(main_window.hwnd);
}

void redraw_menu_bar(HWND hwnd) {
    MENUBARINFO bar{};
    bar.cbSize = sizeof(bar);
    if (!GetMenuBarInfo(hwnd, OBJID_MENU, 0, &bar)) {
        DrawMenuBar(hwnd);
        return;
    }
    invalidate_frame_area(hwnd, bar.rcBar);
}

void relayout_view(bool scaling_changed) {
    const int32_t old_line_height = viewer.metrics.line_height;
    measure_screen_fonts();
    rescale_links(document, viewer.metrics.line_height, old_line_height, settings.scale_bitmaps != 0,
                  scaling_changed);
    const RECT rc = client_rect();
    view().client_width = rc.right - rc.left;
    view().client_height = rc.bottom - rc.top;
    renew_scroll_ranges();
    InvalidateRect(main_window.hwnd, nullptr, TRUE);
}

void scroll_view(int bar, int code, int32_t thumb) {
    ViewState& v = view();
    const bool vertical = bar == SB_VERT;
    ScrollAxis axis;
    axis.position = vertical ? v.top_line : v.left_column;
    axis.maximum = vertical ? v.max_top_line : v.max_left_column;
    axis.client_pixels = vertical ? v.client_height : v.client_width;
    axis.unit_pixels = vertical ? line_height() : cell_width();
    scroll_view_by(bar, scroll_step(code, axis, thumb));
}

void scroll_view_by(int bar, int32_t step) {
    if (step == 0) return;
    ViewState& v = view();
    const bool vertical = bar == SB_VERT;
    const int32_t unit_pixels = vertical ? line_height() : cell_width();
    int32_t& position = vertical ? v.top_line : v.left_column;
    position += step;
    if (vertical) {
        ScrollWindow(main_window.hwnd, 0, -step * unit_pixels, nullptr, nullptr);
    } else {
        ScrollWindow(main_window.hwnd, -step * unit_pixels, 0, nullptr, nullptr);
    }
    SetScrollPos(main_window.hwnd, bar, position, TRUE);
}

void apply_new_colours() {
    HBRUSH brush = CreateSolidBrush(settings.BCKCOLOR());
    HGDIOBJ replaced = reinterpret_cast<HGDIOBJ>(
        SetClassLongPtrA(main_window.hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush)));
    if (replaced) DeleteObject(replaced);
    viewer.main_brush = brush;
    UnregisterClassA(POPUP_CLASS_NAME, viewer.instance);
    if (viewer.popup_brush) DeleteObject(viewer.popup_brush);
    viewer.popup_brush = CreateSolidBrush(settings.POPCOLOR());
    viewer.popup_class.hbrBackground = viewer.popup_brush;
    RegisterClassA(&viewer.popup_class);
    InvalidateRect(main_window.hwnd, nullptr, TRUE);
}

void apply_new_fonts() {
    report_failure(main_window.hwnd, save_settings_font());
    relayout_view(false);
}

void save_window_placement() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(main_window.hwnd, &placement)) {
        memcpy(&settings.WindowPlacement, &placement, sizeof(settings.WindowPlacement));
    }
    report_failure(main_window.hwnd, save_settings_div());
}

void save_exit_state() {
    settings.LastLoadIndex = static_cast<uint32_t>(std::max(view().current_page, 0));
    settings.LastLoadZeile = static_cast<uint32_t>(std::max(view().top_line, 0));
    report_failure(main_window.hwnd, save_settings_div());
}

namespace {

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

}  // namespace

// --- the window procedure ------------------------------------------------------------------

LRESULT CALLBACK main_window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    remember_print_owner(hwnd);  // the first message makes the window the print dialog's owner
    switch (message) {
        case WM_CREATE:
            on_create(hwnd);
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
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills the background off-screen
        case WM_NCPAINT:
            return paint_frame(hwnd, wparam, lparam);
        case WM_KEYDOWN:
            if (!forward_to_popup(message, wparam, lparam)) on_keydown(wparam);
            return 0;
        case WM_CHAR:
            if (forward_to_popup(message, wparam, lparam)) return 0;
            break;
        case WM_COMMAND:
            if (main_window.popup_window != nullptr) {
                SendMessageA(main_window.popup_window, WM_CHAR, 0, 0);
                return 0;
            }
            run_command(LOWORD(wparam));
            return 0;
        case WM_VSCROLL:
            scroll_view(SB_VERT, LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_HSCROLL:
            scroll_view(SB_HORZ, LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            on_mouse_wheel(message, wparam);
            return 0;
        case WM_DPICHANGED:
            on_dpi_changed(hwnd, wparam, lparam);
            return 0;
        case WM_INITMENUPOPUP:
            on_init_menu_popup(reinterpret_cast<HMENU>(wparam), lparam);
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            if (main_window.popup_window != nullptr) {
                if (message == WM_LBUTTONUP) forward_to_popup(message, wparam, lparam);
                return 0;
            }
            on_mouse(message, wparam, lparam);
            return 0;
        case WM_RBUTTONUP:
            if (main_window.menu_tracking) return 0;
            if (forward_to_popup(message, wparam, lparam)) return 0;
            if (history_not_empty()) run_command(CM_BACK);
            return 0;
        case WM_DROPFILES:
            on_drop_files(reinterpret_cast<HDROP>(wparam));
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}
