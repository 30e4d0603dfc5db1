// The popup window: a popup node shown over the main window until the next key or click.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "app/dpi_scale.h"
#include "app/popup_placement.h"
#include "render/page_walk.h"
#include "render/text_run.h"
#include "settings/settings.h"
#include "win32/accessibility_win32.h"
#include "win32/dpi_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/popup_window_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

IndexEntry* popup_page(int32_t page) {
    if (page < 0 || static_cast<std::size_t>(page) >= document.index.size()) return nullptr;
    return &document.index[page];
}

// Drawn off-screen like the main window's page, so that the text does not appear run by run
// over the background. The popup lives until the next key or click: its bitmap is made for
// each paint (most popups are painted once).
void paint_popup(HWND hwnd) {
    ViewerWindow& w = viewer_window();
    const ColoursInEffect colours;
    OffscreenBitmap offscreen;
    PagePaint paint(hwnd, screen_text_font(), offscreen);
    const int32_t page = w.popup_entry;
    if (IndexEntry* entry = popup_page(page)) {
        // The popup as the walk's window: a page title never changes the main window's caption.
        const PageWindow window{WindowRole::Popup, hwnd};
        const uint16_t shown = static_cast<uint16_t>(page);
        if (entry->line_count == -1) {
            interpret_page(PageWalkArgs::layout(document, shown, window, viewer_walk_fonts()));
        }
        const int32_t line_height = std::max<int32_t>(w.metrics.line_height, 1);
        GdiDevice device(paint.dc());
        device.set_line_width_factor(window_pixel_sizes(w.dpi).line_width);
        interpret_page(PageWalkArgs::popup(
            document, shown, device, window, viewer_walk_fonts(),
            std::max<int32_t>(0, paint.area().top / line_height - 1),
            std::min<int32_t>(entry->line_count, paint.area().bottom / line_height)));
    }
}

// The key that closed the popup must not act again as the character it types: that character
// is already queued for the popup or, when the main window passed the key on, for the main
// window, where an accelerator would run a command.
void drop_pending_characters(HWND popup) {
    ViewerWindow& w = viewer_window();
    MSG pending;
    while (PeekMessageA(&pending, popup, WM_CHAR, WM_CHAR, PM_REMOVE)) {
    }
    if (w.hwnd != nullptr) {
        while (PeekMessageA(&pending, w.hwnd, WM_CHAR, WM_CHAR, PM_REMOVE)) {
        }
    }
}

void close_popup(HWND hwnd, UINT message) {
    ViewerWindow& w = viewer_window();
    if (message == WM_KEYDOWN) drop_pending_characters(hwnd);
    if (w.popup_window == hwnd) w.popup_window = nullptr;
    DestroyWindow(hwnd);
}

}  // namespace

LRESULT CALLBACK popup_window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT:
            paint_popup(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills the background off-screen
        case WM_GETOBJECT:
            if (const LRESULT object = answer_get_object(hwnd, wparam, lparam)) return object;
            return DefWindowProcA(hwnd, message, wparam, lparam);
        // Its own input (it has the focus, or was clicked) or input the main window passed on.
        // Links inside a popup are not followed: any click, and the wheel, only close it.
        case WM_KEYDOWN:
        case WM_CHAR:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            close_popup(hwnd, message);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wparam, lparam);
    }
}

void open_popup_window(uint16_t entry, POINT point) {
    ViewerWindow& w = viewer_window();
    if (popup_page(entry) == nullptr) return;
    // While a popup is open the main window only closes it; a second one never opens.
    if (w.popup_window != nullptr) return;
    w.popup_entry = entry;
    ClientToScreen(w.hwnd, &point);
    ensure_layout(entry);  // with the main window as the walk's window
    const IndexEntry& page = document.index[entry];

    PopupSystemMetrics system;
    system.frame_width = GetSystemMetrics(SM_CXDLGFRAME);
    system.frame_height = GetSystemMetrics(SM_CYDLGFRAME);
    system.screen_width = GetSystemMetrics(SM_CXSCREEN);
    system.screen_height = GetSystemMetrics(SM_CYSCREEN);
    const PopupRect r = place_popup(page.max_columns, page.line_count, w.metrics.cell_width,
                                    w.metrics.line_height, point.x, point.y, system);

    HWND popup = CreateWindowExA(0, POPUP_CLASS_NAME, "Vellumar", WS_POPUP | WS_DLGFRAME, r.x, r.y,
                                 r.width, r.height, w.hwnd, nullptr, w.instance, nullptr);
    if (popup == nullptr) return;
    ShowWindow(popup, SW_SHOW);  // activates it: the keyboard goes to the popup
    UpdateWindow(popup);
    w.popup_window = popup;
}
