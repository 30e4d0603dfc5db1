// DPI of the main window: looked up at run time (user32 of older systems and of Wine 8 lacks
// some of the calls), applied to the picture buttons, the cursors and the screen fonts.
#include "win32/dpi_win32.h"

#include "app/dpi_scale.h"
#include "settings/settings.h"
#include "win32/main_window_win32.h"
#include "win32/viewer_win32.h"

namespace {

// The display fonts at the screen's DPI (used only when it is not 96).
LogFontRecord scaled_text_font{};
LogFontRecord scaled_alt_font{};
// Whether the link cursors were made at another size (then they are the program's to destroy).
bool own_cursors = false;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

GetDpiForWindowFunction dpi_for_window() {
    static const GetDpiForWindowFunction function = [] {
        HMODULE user = GetModuleHandleA("user32.dll");
        FARPROC found = user ? GetProcAddress(user, "GetDpiForWindow") : nullptr;
        return reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(found));
    }();
    return function;
}

// A copy of `source` at `width` x `height`, each picture pixel repeated whole (no blending), so
// the edges stay sharp; nullptr when it cannot be made.
HBITMAP stretched_bitmap(HBITMAP source, int width, int height) {
    BITMAP info{};
    if (!GetObjectA(source, sizeof(info), &info)) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP result = CreateCompatibleBitmap(screen, width, height);
    if (from && to && result) {
        HGDIOBJ old_from = SelectObject(from, source);
        HGDIOBJ old_to = SelectObject(to, result);
        SetStretchBltMode(to, COLORONCOLOR);
        StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(to, old_to);
        SelectObject(from, old_from);
    }
    if (to) DeleteDC(to);
    if (from) DeleteDC(from);
    ReleaseDC(nullptr, screen);
    return result;
}

HCURSOR load_cursor(int id, int size) {
    if (viewer.dpi == BASE_DPI) return LoadCursorA(viewer.instance, MAKEINTRESOURCEA(id));
    // The system stretches the picture and moves the hot spot with it.
    return static_cast<HCURSOR>(
        LoadImageA(viewer.instance, MAKEINTRESOURCEA(id), IMAGE_CURSOR, size, size, 0));
}

}  // namespace

int window_dpi(HWND hwnd) {
    if (hwnd) {
        if (GetDpiForWindowFunction function = dpi_for_window()) {
            const UINT dpi = function(hwnd);
            if (dpi > 0) return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(hwnd);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(hwnd, screen);
    return dpi > 0 ? dpi : BASE_DPI;
}

void load_toolbar_bitmaps() {
    const WindowPixelSizes sizes = window_pixel_sizes(viewer.dpi);
    for (unsigned i = 0; i < TOOLBAR_BUTTON_COUNT; ++i) {
        HBITMAP& bitmap = viewer.toolbar_bitmaps[i];
        if (bitmap) DeleteObject(bitmap);
        bitmap = LoadBitmapA(viewer.instance, MAKEINTRESOURCEA(IDB_TOOLBAR_FIRST + i));
        if (bitmap == nullptr || viewer.dpi == BASE_DPI) continue;
        if (HBITMAP larger = stretched_bitmap(bitmap, sizes.button_width, sizes.button_height)) {
            DeleteObject(bitmap);
            bitmap = larger;
        }
    }
}

void load_link_cursors() {
    const int size = window_pixel_sizes(viewer.dpi).cursor_size;
    // Cursors of the default size are shared by the system and never destroyed.
    if (own_cursors) {
        DestroyCursor(main_window.link_cursor);
        DestroyCursor(main_window.pressed_cursor);
    }
    own_cursors = viewer.dpi != BASE_DPI;
    main_window.link_cursor = load_cursor(IDC_LINK_HAND, size);
    main_window.pressed_cursor = load_cursor(IDC_LINK_PRESSED, size);
}

void measure_screen_fonts() {
    // The stored records get their normalisation, and at 96 dpi their measures are the screen's.
    measure_fonts(*viewer.text_font, settings.XFONT, viewer.metrics);
    if (viewer.dpi == BASE_DPI) return;
    scaled_text_font = font_for_dpi(*viewer.text_font, viewer.dpi);
    scaled_alt_font = font_for_dpi(settings.XFONT, viewer.dpi);
    measure_fonts(scaled_text_font, scaled_alt_font, viewer.metrics);
}

LogFontRecord& screen_text_font() {
    return viewer.dpi == BASE_DPI ? *viewer.text_font : scaled_text_font;
}

LogFontRecord& screen_alt_font() {
    return viewer.dpi == BASE_DPI ? settings.XFONT : scaled_alt_font;
}

namespace {
void remake_for_dpi(HWND hwnd, int dpi) {
    viewer.dpi = dpi > 0 ? dpi : BASE_DPI;
    load_toolbar_bitmaps();
    make_picture_buttons(GetMenu(hwnd));
    load_link_cursors();
}
}  // namespace

void adopt_window_dpi(HWND hwnd) {
    const int dpi = window_dpi(hwnd);
    if (dpi == viewer.dpi) return;
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
