// DPI of the main window: looked up at run time (user32 of older systems and of Wine 8 lacks
// some of the calls), applied to the picture buttons, the cursors and the screen fonts.
#include "win32/dpi_win32.h"

#include "app/dpi_scale.h"
#include "settings/settings.h"
#include "win32/viewer_window_win32.h"

namespace {

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
    ViewerWindow& w = viewer_window();
    if (w.dpi == BASE_DPI) return LoadCursorA(w.instance, MAKEINTRESOURCEA(id));
    // The system stretches the picture and moves the hot spot with it.
    return static_cast<HCURSOR>(
        LoadImageA(w.instance, MAKEINTRESOURCEA(id), IMAGE_CURSOR, size, size, 0));
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
    ViewerWindow& w = viewer_window();
    const WindowPixelSizes sizes = window_pixel_sizes(w.dpi);
    for (unsigned i = 0; i < TOOLBAR_BUTTON_COUNT; ++i) {
        HBITMAP& bitmap = w.toolbar_bitmaps[i];
        if (bitmap) DeleteObject(bitmap);
        bitmap = LoadBitmapA(w.instance, MAKEINTRESOURCEA(IDB_TOOLBAR_FIRST + i));
        if (bitmap == nullptr || w.dpi == BASE_DPI) continue;
        if (HBITMAP larger = stretched_bitmap(bitmap, sizes.button_width, sizes.button_height)) {
            DeleteObject(bitmap);
            bitmap = larger;
        }
    }
}

void load_link_cursors() {
    ViewerWindow& w = viewer_window();
    const int size = window_pixel_sizes(w.dpi).cursor_size;
    // Cursors of the default size are shared by the system and never destroyed.
    if (w.own_cursors) {
        DestroyCursor(w.link_cursor);
        DestroyCursor(w.pressed_cursor);
    }
    w.own_cursors = w.dpi != BASE_DPI;
    w.link_cursor = load_cursor(IDC_LINK_HAND, size);
    w.pressed_cursor = load_cursor(IDC_LINK_PRESSED, size);
}

void measure_screen_fonts() {
    ViewerWindow& w = viewer_window();
    // The stored records get their normalisation, and at 96 dpi their measures are the screen's.
    measure_fonts(*w.text_font, settings.XFONT, w.metrics);
    if (w.dpi == BASE_DPI) return;
    w.scaled_text_font = font_for_dpi(*w.text_font, w.dpi);
    w.scaled_alt_font = font_for_dpi(settings.XFONT, w.dpi);
    measure_fonts(w.scaled_text_font, w.scaled_alt_font, w.metrics);
}

LogFontRecord& screen_text_font() {
    ViewerWindow& w = viewer_window();
    return w.dpi == BASE_DPI ? *w.text_font : w.scaled_text_font;
}

LogFontRecord& screen_alt_font() {
    ViewerWindow& w = viewer_window();
    return w.dpi == BASE_DPI ? settings.XFONT : w.scaled_alt_font;
}
