// The main window's view: layout, scroll ranges and positions, the picture buttons' states, the
// fonts and colours taken anew, the screen's DPI, and the placement and exit state stored.
#include "win32/view_win32.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/dpi_scale.h"
#include "app/link_selection.h"
#include "app/scroll.h"
#include "hyp/charset.h"
#include "render/graphics_drawing.h"
#include "render/page_walk.h"
#include "settings/settings.h"
#include "win32/dpi_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

ViewState& view() {
    return viewer_window().view;
}

PageWindow walk_window() {
    return {WindowRole::Main, viewer_window().hwnd};
}

RECT client_rect() {
    RECT rc{};
    GetClientRect(viewer_window().hwnd, &rc);
    return rc;
}

// Enables or grays an item; whether its state changed.
bool set_item_enabled(HMENU menu, unsigned id, bool enabled) {
    const UINT previous =
        EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (previous == static_cast<UINT>(-1)) return false;
    return ((previous & (MF_GRAYED | MF_DISABLED)) == 0) != enabled;
}

}  // namespace

IndexEntry* page_entry(int32_t page) {
    if (page < 0 || static_cast<std::size_t>(page) >= document.index.size()) return nullptr;
    return &document.index[page];
}

int32_t view_line_height() {
    return std::max<int32_t>(viewer_window().metrics.line_height, 1);
}

int32_t view_cell_width() {
    return std::max<int32_t>(viewer_window().metrics.cell_width, 1);
}

// Items 1001 to 1018 of the menu bar become pictures; their state flags stay.
void make_picture_buttons(HMENU menu) {
    ViewerWindow& w = viewer_window();
    for (unsigned id = TB_FIRST_BUTTON; id <= TB_LAST_BUTTON; ++id) {
        const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
        if (state == static_cast<UINT>(-1)) continue;
        const UINT kept =
            state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK);
        HBITMAP picture = w.toolbar_bitmaps[id - TB_FIRST_BUTTON];
        ModifyMenuA(menu, id, MF_BYCOMMAND | MF_BITMAP | kept, id,
                    reinterpret_cast<LPCSTR>(picture));
    }
}

void ensure_layout(int32_t page) {
    IndexEntry* entry = page_entry(page);
    if (entry == nullptr || entry->line_count != -1) return;
    interpret_page(PageWalkArgs::layout(document, static_cast<uint16_t>(page), walk_window(),
                                        viewer_walk_fonts()));
}

void renew_scroll_ranges() {
    ViewerWindow& w = viewer_window();
    HWND hwnd = w.hwnd;
    ViewState& v = view();
    const IndexEntry* entry = page_entry(v.current_page);
    const int32_t line_count = entry ? std::max(entry->line_count, 0) : 0;
    const RECT rc = client_rect();
    v.max_top_line = max_top_line_for(line_count, rc.bottom - rc.top, w.metrics.line_height);
    v.top_line = std::min(v.top_line, v.max_top_line);
    set_scroll_bar(hwnd, SB_VERT, v.max_top_line, v.top_line);
    v.document_width = document_width_for(document.line_width, w.metrics.cell_width);
    v.max_left_column = max_left_column_for(v.document_width, v.client_width, w.metrics.cell_width);
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
    return compute_enable_state(document, view(), !viewer_window().history.empty(),
                                any_bookmark_set());
}

void update_toolbar_states() {
    ViewerWindow& w = viewer_window();
    HMENU bar = GetMenu(w.hwnd);
    if (bar == nullptr) return;
    const EnableState state = current_enable_state();
    bool changed = false;
    for (unsigned id = TB_BACK; id <= TB_HELP; ++id)
        changed |= set_item_enabled(bar, id, command_enabled(id, state));
    // Drawing the menu bar of pictures again is slow: only when a button changed, and with
    // the next paint rather than at once (DrawMenuBar lays the whole frame out anew).
    if (changed && w.window_created) redraw_menu_bar(w.hwnd);
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
    ViewerWindow& w = viewer_window();
    const int32_t old_line_height = w.metrics.line_height;
    measure_screen_fonts();
    rescale_links(document, w.metrics.line_height, old_line_height, settings.scale_bitmaps != 0,
                  scaling_changed);
    const RECT rc = client_rect();
    view().client_width = rc.right - rc.left;
    view().client_height = rc.bottom - rc.top;
    renew_scroll_ranges();
    InvalidateRect(w.hwnd, nullptr, TRUE);
}

void scroll_view(int bar, int code, int32_t thumb) {
    ViewState& v = view();
    const bool vertical = bar == SB_VERT;
    ScrollAxis axis;
    axis.position = vertical ? v.top_line : v.left_column;
    axis.maximum = vertical ? v.max_top_line : v.max_left_column;
    axis.client_pixels = vertical ? v.client_height : v.client_width;
    axis.unit_pixels = vertical ? view_line_height() : view_cell_width();
    scroll_view_by(bar, scroll_step(code, axis, thumb));
}

void scroll_view_by(int bar, int32_t step) {
    ViewerWindow& w = viewer_window();
    if (step == 0) return;
    ViewState& v = view();
    const bool vertical = bar == SB_VERT;
    const int32_t unit_pixels = vertical ? view_line_height() : view_cell_width();
    int32_t& position = vertical ? v.top_line : v.left_column;
    position += step;
    if (vertical) {
        ScrollWindow(w.hwnd, 0, -step * unit_pixels, nullptr, nullptr);
    } else {
        ScrollWindow(w.hwnd, -step * unit_pixels, 0, nullptr, nullptr);
    }
    SetScrollPos(w.hwnd, bar, position, TRUE);
}

void apply_new_colours() {
    ViewerWindow& w = viewer_window();
    HBRUSH brush = CreateSolidBrush(settings.BCKCOLOR());
    HGDIOBJ replaced = reinterpret_cast<HGDIOBJ>(
        SetClassLongPtrA(w.hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush)));
    if (replaced) DeleteObject(replaced);
    w.main_brush = brush;
    UnregisterClassA(POPUP_CLASS_NAME, w.instance);
    if (w.popup_brush) DeleteObject(w.popup_brush);
    w.popup_brush = CreateSolidBrush(settings.POPCOLOR());
    w.popup_class.hbrBackground = w.popup_brush;
    RegisterClassA(&w.popup_class);
    InvalidateRect(w.hwnd, nullptr, TRUE);
}

void apply_new_fonts() {
    ViewerWindow& w = viewer_window();
    report_failure(w.hwnd, save_settings_font());
    relayout_view(false);
}

void save_window_placement() {
    ViewerWindow& w = viewer_window();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(w.hwnd, &placement)) {
        memcpy(&settings.WindowPlacement, &placement, sizeof(settings.WindowPlacement));
    }
    report_failure(w.hwnd, save_settings_div());
}

void save_exit_state() {
    ViewerWindow& w = viewer_window();
    settings.LastLoadIndex = static_cast<uint32_t>(std::max(view().current_page, 0));
    settings.LastLoadZeile = static_cast<uint32_t>(std::max(view().top_line, 0));
    report_failure(w.hwnd, save_settings_div());
}

WalkFonts viewer_walk_fonts() {
    ViewerWindow& w = viewer_window();
    WalkFonts fonts{w.metrics, &screen_text_font(), &screen_alt_font(),
                    settings.scale_bitmaps != 0};
    fonts.conversion = w.view.conversion;  // the open hypertext's screen table
    fonts.graphics = &device_graphics();
    return fonts;
}

std::string window_title_for(unsigned entry) {
    const bool named = entry < document.index.size() && document.index[entry].name;
    return main_window_title(
        named ? convert_charset(*document.index[entry].name, false, view().conversion)
              : std::string());
}

namespace {
void remake_for_dpi(HWND hwnd, int dpi) {
    ViewerWindow& w = viewer_window();
    w.dpi = dpi > 0 ? dpi : BASE_DPI;
    load_toolbar_bitmaps();
    make_picture_buttons(GetMenu(hwnd));
    load_link_cursors();
}
}  // namespace

void adopt_window_dpi(HWND hwnd) {
    ViewerWindow& w = viewer_window();
    const int dpi = window_dpi(hwnd);
    if (dpi == w.dpi) return;
    remake_for_dpi(hwnd, dpi);
    relayout_view(false);
    DrawMenuBar(hwnd);
}

void on_dpi_changed(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    remake_for_dpi(hwnd, HIWORD(wparam));
    const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    relayout_view(false);  // keeps the top line
    DrawMenuBar(hwnd);
}
