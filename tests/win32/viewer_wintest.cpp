// In-process test of the viewer's main window: starts the viewer on a hypertext, sends it
// commands, keys, mouse clicks and size changes, and checks the view state, the menu states,
// the picture buttons and the pixels drawn after each.
//
//   viewer_wintest main SAMPLE.hyp      the sample hypertext (pages Main, Lange Seite, ...)
//   viewer_wintest wrongfile FILE       a file that is no hypertext: message box, then dialog
//   viewer_wintest bench FILE [W H]     figures: page changes and their stages, scrolling,
//                                       the main window W x H pixels
//
// Prints one line per failed check and ends with "N passed, M failed".
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/link_selection.h"
#include "hyp/document.h"
#include "hyp/page_loader.h"
#include "render/page_walk.h"
#include "settings/settings.h"
#include "tests/win32/viewer_driver.h"
#include "tests/win32/wintest_checks.h"
#include "win32/commands_win32.h"
#include "win32/gdi_device_win32.h"
#include "win32/navigation_win32.h"
#include "win32/page_view_win32.h"
#include "win32/view_win32.h"
#include "win32/viewer_win32.h"
#include "win32/viewer_window_win32.h"

namespace {

using namespace wintest;  // the driver and the checks

// The viewer's state, made once for the program: each start uses it anew.
ViewerWindow viewer_state;

ViewState& view() {
    return viewer_window().view;
}

void type_char(char c) {
    PostMessageA(window(), WM_CHAR, static_cast<unsigned char>(c), 1);
    pump();
}

void command(unsigned id) {
    SendMessageA(window(), WM_COMMAND, id, 0);
    pump();
}

// Shows a page as a navigation does (pushing the place left).
void go_to(const char* name) {
    NavigationRequest request;
    request.target = page_named(name);
    navigator().show_entry(request);
    pump();
}

const IndexEntry& shown() {
    return document.index[view().current_page];
}

bool grayed(HMENU menu, unsigned id) {
    return (GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) != 0;
}

bool checked(HMENU menu, unsigned id) {
    return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// Lets the window set the states of menu-bar menu `position`, as opening it does.
HMENU open_menu(unsigned position) {
    HMENU popup = GetSubMenu(GetMenu(window()), position);
    SendMessageA(window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                 MAKELPARAM(position, 0));
    return popup;
}

// The pixels of a client rectangle, as shown.
std::vector<COLORREF> pixels(const RECT& r) {
    std::vector<COLORREF> out;
    HDC dc = GetDC(window());
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) out.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(window(), dc);
    return out;
}

int count_colour(const std::vector<COLORREF>& p, COLORREF colour) {
    int n = 0;
    for (COLORREF c : p) n += c == colour;
    return n;
}

RECT link_rect(const LinkArea& area) {
    ViewerWindow& w = viewer_window();
    const DeviceRect r = link_client_rect(area, view().top_line, view().left_column,
                                          w.metrics.line_height, w.metrics.cell_width);
    return {r.left, r.top, r.right, r.bottom};
}

void click(const LinkArea& area, bool shift = false) {
    const RECT r = link_rect(area);
    const LPARAM at = MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2);
    const WPARAM keys = shift ? MK_SHIFT : 0;
    SendMessageA(window(), WM_MOUSEMOVE, keys, at);
    SendMessageA(window(), WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
    SendMessageA(window(), WM_LBUTTONUP, keys, at);
    pump();
}

void resize_client(int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, TRUE);
    SetWindowPos(window(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    pump();
}

// --- message boxes and dialogs, answered from a timer while they run ---------------------

std::vector<std::string> seen_boxes;  // "caption|text" of each box and dialog seen

BOOL CALLBACK collect_text(HWND child, LPARAM out) {
    char text[1024] = "";
    GetWindowTextA(child, text, sizeof(text));
    auto& all = *reinterpret_cast<std::string*>(out);
    if (text[0]) all += std::string(text) + "\n";
    return TRUE;
}

BOOL CALLBACK answer_dialog(HWND hwnd, LPARAM) {
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    char caption[256] = "";
    GetWindowTextA(hwnd, caption, sizeof(caption));
    std::string text;
    EnumChildWindows(hwnd, collect_text, reinterpret_cast<LPARAM>(&text));
    seen_boxes.push_back(std::string(caption) + "|" + text);
    // A message box has an OK button (IDOK); the file dialog is cancelled.
    if (GetDlgItem(hwnd, IDOK) && !GetDlgItem(hwnd, IDCANCEL)) {
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    } else {
        PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    }
    return FALSE;
}

void CALLBACK answer_boxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), answer_dialog, 0);
}

bool seen(const std::string& part) {
    for (const std::string& s : seen_boxes) {
        if (s.find(part) != std::string::npos) return true;
    }
    return false;
}

// --- scenarios -----------------------------------------------------------------------------

void start_checks() {
    check_eq(view().current_page, page_named("Main"), "starts on the requested node");
    check_text(title(), "Vellumar - Vellumar Beispiel", "the page title becomes the caption");
    HMENU bar = GetMenu(window());
    check(grayed(bar, TB_BACK), "back button grayed with an empty stack");
    check(grayed(bar, TB_HISTORY), "history button grayed with an empty stack");
    check(grayed(bar, TB_FIRST_PAGE), "first-page button grayed on page 0");
    check(grayed(bar, TB_PREV_PHYSICAL), "previous-physical button grayed on page 0");
    check(!grayed(bar, TB_NEXT_PHYSICAL), "next-physical button enabled");
    check(!grayed(bar, TB_LAST_PAGE), "last-page button enabled");
    check(grayed(bar, TB_TOC), "table of contents is this page");
    check(!grayed(bar, TB_INDEX), "the sample has an index page");
    check(!grayed(bar, TB_HELP), "the sample has a help page");
    check(!grayed(bar, TB_CATALOGUE), "KAT opens the catalogue");
    check(grayed(bar, TB_REMARKER), "REM grayed for good");
    check(!grayed(bar, TB_INFO) && !grayed(bar, TB_OPEN) && !grayed(bar, TB_EXTRA),
          "info, open and extra always enabled");
    check((GetMenuState(bar, TB_BACK, MF_BYCOMMAND) & MF_BITMAP) != 0, "buttons are pictures");
    check(settings.WindowPlacement.length != 0, "placement stored at start-up");

    HMENU navigate = open_menu(MENU_POSITION_NAVIGATE);
    check(grayed(navigate, CM_PREV_PHYSICAL) && grayed(navigate, CM_FIRST_PAGE),
          "Navigieren: no page before page 0");
    check(!grayed(navigate, CM_NEXT_PHYSICAL) && !grayed(navigate, CM_LAST_PAGE),
          "Navigieren: pages after page 0");
    check(grayed(navigate, CM_BACK) && grayed(navigate, CM_CLEAR_STACK),
          "Navigieren: stack commands grayed");
    check(grayed(navigate, CM_TOC), "Navigieren: table of contents is this page");
}

void selection_checks() {
    const int links = static_cast<int>(shown().links.size());
    check(links >= 3, "the main page has links");
    const RECT first = link_rect(shown().links[0]);
    const std::vector<COLORREF> before = pixels(first);
    check(count_colour(before, settings.REFCOLOR_INTERNE_SEITE()) > 0, "a link is drawn in its type colour");

    press(VK_TAB);
    check_eq<int>(view().selected_link, 1, "Tab selects the first link");
    const std::vector<COLORREF> after = pixels(first);
    int inverted = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        inverted += after[i] == (~before[i] & 0xFFFFFF);
    }
    check(inverted * 10 >= static_cast<int>(before.size()) * 9, "the selected link is inverted");

    press(VK_TAB);
    check_eq<int>(view().selected_link, 2, "Tab selects the next link");
    check(count_colour(pixels(first), settings.REFCOLOR_INTERNE_SEITE()) > 0,
          "the old selection is drawn again");
    press(VK_TAB, true);
    check_eq<int>(view().selected_link, 1, "Shift+Tab selects the previous link");
    press(VK_TAB, true);
    check_eq<int>(view().selected_link, links, "Shift+Tab on the first link wraps to the last");
    press(VK_TAB);
    check_eq<int>(view().selected_link, 1, "Tab on the last link wraps to the first");

    const std::string target = *document.index[shown().links[0].target].name;
    press(VK_RETURN);
    check_text(*shown().name, target, "Return follows the selected link");
    check(title().rfind("Vellumar - ", 0) == 0 && title() != "Vellumar - Vellumar Beispiel",
          "the caption follows the page");
    check(!grayed(GetMenu(window()), TB_BACK), "back button enabled after a link");
    press(VK_ESCAPE);
    check_eq(view().current_page, page_named("Main"), "Esc goes back");
    check_eq<int>(view().selected_link, 1, "going back restores the selection");
}

void click_checks() {
    const LinkArea second = shown().links[1];
    const std::string target = *document.index[second.target].name;
    // Shift+click shows the link information and follows nothing.
    seen_boxes.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, answer_boxes);
    click(second, true);
    KillTimer(nullptr, timer);
    check(seen("Linkinfo|"), "Shift+click shows the Linkinfo box");
    check(seen("Interne Seite (@node)"), "the box names the link's type");
    check_eq(view().current_page, page_named("Main"), "Shift+click follows nothing");

    // To the right of the link's last pixel column nothing happens; on it the link is followed.
    LinkArea beyond = second;
    beyond.x += second.width + 1;
    beyond.width = 4;
    click(beyond);
    check_eq(view().current_page, page_named("Main"), "a click beside a link follows nothing");
    click(second);
    check_text(*shown().name, target, "a click on a link follows it");
    SendMessageA(window(), WM_RBUTTONUP, 0, 0);
    pump();
    check_eq(view().current_page, page_named("Main"), "the right button goes back");
}

void scroll_checks() {
    ViewerWindow& w = viewer_window();
    resize_client(600, 400);
    go_to("Lange Seite");
    const int32_t lh = w.metrics.line_height;
    RECT rc;
    GetClientRect(window(), &rc);
    const int32_t page = rc.bottom / lh;
    const int32_t max_top = shown().line_count + 1 - page;
    check_eq(view().max_top_line, max_top, "vertical range from the line count");
    press(VK_NEXT);
    check_eq(view().top_line, page, "PageDown scrolls one window height");
    press(VK_DOWN);
    check_eq(view().top_line, page + 1, "Down scrolls one line");
    press(VK_UP);
    press(VK_PRIOR);
    check_eq(view().top_line, 0, "PageUp scrolls back");
    press(VK_END, false, true);
    check_eq(view().top_line, max_top, "Ctrl+End to the last line");
    press(VK_NEXT);
    check_eq(view().top_line, max_top, "PageDown at the end does nothing");
    press(VK_HOME, false, true);
    check_eq(view().top_line, 0, "Ctrl+Home to the top");
    SendMessageA(window(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 17), 0);
    check_eq(view().top_line, 17, "thumb track");
    check_eq(GetScrollPos(window(), SB_VERT), 17, "scroll bar follows");
    SendMessageA(window(), WM_VSCROLL, SB_BOTTOM, 0);
    check_eq(view().top_line, max_top, "scroll bar to the bottom");

    // A taller window: the range shrinks and the position is clamped into it.
    resize_client(600, 800);
    GetClientRect(window(), &rc);
    check_eq<int32_t>(view().max_top_line, shown().line_count + 1 - rc.bottom / lh,
                      "resize renews the range");
    check_eq(view().top_line, view().max_top_line, "resize clamps the position");
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window(), &placement);
    check_eq<long>(settings.WindowPlacement.rcNormalPosition.bottom, placement.rcNormalPosition.bottom,
                   "every resize stores the placement");

    go_to("Breite Seite");
    resize_client(600, 400);
    const int32_t cw = w.metrics.cell_width;
    check_eq(view().max_left_column, ((document.line_width + 2) * cw - view().client_width) / cw,
             "horizontal range from the line width");
    press(VK_RIGHT);
    check_eq(view().left_column, 1, "Right scrolls one cell");
    press(VK_RIGHT, true);
    check_eq(view().left_column, std::min(view().max_left_column, 1 + 600 / cw),
             "Shift+Right scrolls one window width");
    press(VK_END);
    check_eq(view().left_column, view().max_left_column, "End to the right edge");
    press(VK_HOME);
    check_eq(view().left_column, 0, "Home to the left edge");

    go_to("Main");
    resize_client(600, 900);
    check_eq(view().max_top_line, 0, "a short page has no vertical range");
    press(VK_NEXT);
    check_eq(view().top_line, 0, "PageDown on a short page does nothing");
}

void toggle_checks() {
    ViewerWindow& w = viewer_window();
    const uint32_t multispace = settings.expmultispace;
    command(CM_TOGGLE_MULTISPACE);
    check_eq<uint32_t>(settings.expmultispace, multispace ? 0 : 1, "Ctrl+L toggles expmultispace");
    HMENU options = open_menu(MENU_POSITION_OPTIONS);
    check_eq(checked(options, CM_TOGGLE_MULTISPACE), settings.expmultispace != 0, "its check mark");

    // Keys reach the toggles through the accelerators.
    const uint32_t scaling = settings.scale_bitmaps;
    go_to("Bilder");
    const int32_t lines_before = shown().line_count;
    press('B', false, true);
    check_eq<uint32_t>(settings.scale_bitmaps, scaling ? 0 : 1, "Ctrl+B toggles scale_bitmaps");
    options = open_menu(MENU_POSITION_OPTIONS);
    check_eq(checked(options, CM_TOGGLE_SCALE_BITMAPS), settings.scale_bitmaps != 0, "its check mark");
    // Each line-reserving picture now reserves ceil((lh x h / 16) / lh) lines instead of
    // ceil(h / lh), or the other way round.
    const int32_t lh = w.metrics.line_height;
    int32_t delta = 0;
    for (int32_t h : shown().image_line_heights) {
        const int32_t scaled = (lh * h / 16 + lh - 1) / lh;
        const int32_t plain = (h + lh - 1) / lh;
        delta += settings.scale_bitmaps ? scaled - plain : plain - scaled;
    }
    check(!shown().image_line_heights.empty(), "the picture page has line-reserving pictures");
    check_eq(shown().line_count, lines_before + delta,
             "scaling changes the lines pictures reserve");
    press('B', false, true);
    check_eq(shown().line_count, lines_before, "scaling back restores the line count");

    press('Z', true, true);
    check(w.text_font == &settings.XFONT, "Ctrl+Shift+Z switches to the alternative font");
    options = open_menu(MENU_POSITION_OPTIONS);
    check(checked(options, CM_TOGGLE_XFONT), "its check mark");
    press('Z', true, true);
    check(w.text_font == &settings.FONT, "and back");
    go_to("Main");
}

void colour_and_font_checks() {
    ViewerWindow& w = viewer_window();
    // A new window background takes effect at once, and the popup class gets the new colour.
    const uint32_t background = settings.BCKCOLOR(), popup = settings.POPCOLOR();
    settings.BCKCOLOR() = 0xE0D0C0;
    settings.POPCOLOR() = 0xA0FFA0;
    apply_new_colours();
    pump();
    RECT rc;
    GetClientRect(window(), &rc);
    const RECT corner{rc.right - 30, rc.bottom - 30, rc.right - 20, rc.bottom - 20};
    check_eq(count_colour(pixels(corner), 0xE0D0C0), 100, "the new window background is painted");
    WNDCLASSA popup_class{};
    check(GetClassInfoA(GetModuleHandleA(nullptr), "Popup", &popup_class) != 0,
          "the popup class is registered again");
    LOGBRUSH brush{};
    GetObjectA(popup_class.hbrBackground, sizeof(brush), &brush);
    check_eq<unsigned long>(brush.lbColor, 0xA0FFA0, "with a brush of the new popup colour");
    settings.BCKCOLOR() = background;
    settings.POPCOLOR() = popup;
    apply_new_colours();

    // A larger text font: taller lines, the layout and the ranges follow.
    const int32_t old_height = w.metrics.line_height;
    const int32_t saved = settings.FONT.lfHeight;
    settings.FONT.lfHeight = -32;
    apply_new_fonts();
    check(w.metrics.line_height > old_height, "a larger font gives taller lines");
    GetClientRect(window(), &rc);
    check_eq<int32_t>(
        view().max_top_line,
        std::max<int32_t>(0, shown().line_count + 1 - rc.bottom / w.metrics.line_height),
        "the range follows the new line height");
    settings.FONT.lfHeight = saved;
    apply_new_fonts();
    check_eq(w.metrics.line_height, old_height, "and back");
}

void graphics_checks() {
    ViewerWindow& w = viewer_window();
    resize_client(900, 700);
    go_to("Grafik");
    const int32_t cw = w.metrics.cell_width, lh = w.metrics.line_height;
    HDC dc = GetDC(window());
    // The boxes of text line 12: "@box 10 6 2 1" (pattern 1) and "@box 66 6 2 8" (pattern 8),
    // at cell (margin 1 + column - 1), anchored at their own corner.
    const int top = 12 * lh;
    const int left1 = 10 * cw, left8 = 66 * cw;
    check_eq<COLORREF>(GetPixel(dc, left1, top + 5), settings.TXTCOLOR(), "box frame at its column and line");
    check_eq<COLORREF>(GetPixel(dc, left1 + 4, top + 4), settings.TXTCOLOR(),
                       "pattern 1: row 4, column 4 set");
    check_eq<COLORREF>(GetPixel(dc, left1 + 5, top + 4), settings.BCKCOLOR(), "pattern 1: column 5 clear");
    check_eq<COLORREF>(GetPixel(dc, left1 + 4, top + 2), settings.BCKCOLOR(),
                       "pattern 1: row 2, column 4 clear");
    check_eq<COLORREF>(GetPixel(dc, left1 + 2, top + 2), settings.TXTCOLOR(),
                       "pattern 1: row 2, column 2 set");
    check_eq<COLORREF>(GetPixel(dc, left8 + 3 * cw, top + lh), settings.TXTCOLOR(), "pattern 8 fills its box");
    check_eq<COLORREF>(GetPixel(dc, 2 * cw + 3 * cw, top + lh), settings.BCKCOLOR(), "pattern 0 is hollow");
    ReleaseDC(window(), dc);

    go_to("Bilder");
    dc = GetDC(window());
    // The one-plane logo (64 pixels wide, black border) centred on text line 3.
    const int logo_left = std::max<int>(1, (document.line_width * cw - 64) / (2 * cw)) * cw;
    check_eq<COLORREF>(GetPixel(dc, logo_left, 3 * lh), 0, "the logo's top left pixel, black");
    check_eq<COLORREF>(GetPixel(dc, logo_left - 1, 3 * lh), settings.BCKCOLOR(), "nothing left of it");
    check_eq<COLORREF>(GetPixel(dc, logo_left + 63, 3 * lh + 1), 0, "its top right corner");
    check_eq<COLORREF>(GetPixel(dc, logo_left + 64, 3 * lh + 1), settings.BCKCOLOR(), "its right edge");
    ReleaseDC(window(), dc);
    go_to("Main");
}

// FNV-1a over the pixels as shown (blue, green, red of each, rows top-down): of the client
// area, or of the whole window with its frame.
uint32_t checksum(bool whole_window = false) {
    RECT rc;
    if (whole_window) {
        GetWindowRect(window(), &rc);
        OffsetRect(&rc, -rc.left, -rc.top);
    } else {
        GetClientRect(window(), &rc);
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = rc.right;
    info.bmiHeader.biHeight = -rc.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC window_dc = whole_window ? GetWindowDC(window()) : GetDC(window());
    HDC copy_dc = CreateCompatibleDC(window_dc);
    HBITMAP copy = CreateDIBSection(window_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(copy_dc, copy);
    BitBlt(copy_dc, 0, 0, rc.right, rc.bottom, window_dc, 0, 0, SRCCOPY);
    GdiFlush();
    uint32_t hash = 2166136261u;
    const auto* p = static_cast<const uint8_t*>(bits);
    for (long i = 0; bits && i < rc.right * rc.bottom; ++i) {
        for (int c = 0; c < 3; ++c) hash = (hash ^ p[4 * i + c]) * 16777619u;
    }
    SelectObject(copy_dc, old);
    DeleteObject(copy);
    DeleteDC(copy_dc);
    ReleaseDC(window(), window_dc);
    return hash;
}

// A page change leaves the caption, the picture buttons and the scroll bars to the page's
// paint instead of drawing each at once: what is on screen then is the same as the whole window
// drawn anew. In a window as tall as the main page the steps change the buttons' states and
// show and hide the vertical bar.
void frame_checks() {
    resize_client(600, 700);
    const struct {
        const char* page;
        bool vertical_bar;
    } steps[] = {
        {"Main", false}, {"Lange Seite", true}, {"Main", false},
        {"Breite Seite", false}, {"Grafik", false},
    };
    for (const auto& step : steps) {
        go_to(step.page);
        const std::string what = std::string("after showing ") + step.page;
        check_eq((GetWindowLongPtrA(window(), GWL_STYLE) & WS_VSCROLL) != 0, step.vertical_bar,
                 what + ": vertical bar");
        const uint32_t left = checksum(true);
        RedrawWindow(window(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        check_eq(left, checksum(true), what + ": the window as drawn anew");
    }
}

// Scrolled pages compared pixel for pixel with what the program showed before it painted
// off-screen and kept its pages (commit ba6560b under wine64, Arial and Courier New mapped to
// the Liberation fonts): checksums of the 600 x 400 client area after the same keys.
void reference_shot_checks() {
    resize_client(600, 400);
    go_to("Lange Seite");
    press(VK_NEXT);
    for (int i = 0; i < 3; ++i) press(VK_DOWN);
    press(VK_UP);
    check_eq<uint32_t>(checksum(), 3987840730u, "Lange Seite after PageDown, 3 x Down, Up");
    go_to("Grafik");
    press(VK_DOWN);
    press(VK_DOWN);
    check_eq<uint32_t>(checksum(), 624671671u, "Grafik after 2 x Down");
    go_to("Breite Seite");
    press(VK_DOWN);
    press(VK_RIGHT, true);
    press(VK_RIGHT);
    check_eq<uint32_t>(checksum(), 608006762u,
                       "Breite Seite after Down, Shift+Right, Right");
    press(VK_TAB);
    // The selected link inverted and framed by its focus rectangle.
    check_eq<uint32_t>(checksum(), 3308064498u, "Breite Seite with a link selected");
    go_to("Main");
}

// A file dropped from the shell: the first of the list is opened and its first entry shown.
void drop_checks(const char* file) {
    go_to("Grafik");
    const std::string path = file;
    const std::size_t size = sizeof(DROPFILES) + path.size() + 2 + 8;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* names = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    memcpy(names, path.c_str(), path.size());     // then two NULs: the list's end
    memcpy(names + path.size() + 1, "x.hyp", 5);  // a second file, never taken
    GlobalUnlock(memory);
    SendMessageA(window(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    pump();
    check_eq(view().current_page, 0, "a dropped hypertext shows its first entry");
    check_text(title(), "Vellumar - Vellumar Beispiel", "and its title");
    check_text(settings.LastLoadPath, path, "LastLoadPath is the dropped file");
}

void typed_key_checks() {
    const int main_page = page_named("Main");
    type_char('*');
    check_eq(view().current_page, main_page + 1, "'*' shows the next physical page");
    type_char('/');
    check_eq(view().current_page, main_page, "'/' shows the previous physical page");
    type_char('>');
    check_eq(view().current_page, static_cast<int32_t>(document.last_node_index), "'>' last page");
    type_char('<');
    check_eq(view().current_page, 0, "'<' first page");
}

int run_main(const char* file) {
    const std::string line = std::string("\"") + file + "\" Main";
    if (!start_viewer(viewer_state, GetModuleHandleA(nullptr), line.c_str(), SW_SHOW)) {
        std::printf("FAILED: the viewer did not start on %s\n", file);
        return 1;
    }
    pump();
    start_checks();
    selection_checks();
    click_checks();
    scroll_checks();
    toggle_checks();
    colour_and_font_checks();
    graphics_checks();
    reference_shot_checks();
    frame_checks();
    drop_checks(file);
    typed_key_checks();
    SendMessageA(window(), WM_COMMAND, CM_QUIT, 0);
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
    check(quit, "Q posts the quit message");
    check_eq<uint32_t>(settings.LastLoadIndex, static_cast<uint32_t>(view().current_page), "LastLoadIndex");
    DestroyWindow(window());
    shutdown_viewer();
    return 0;
}

// --- figures -------------------------------------------------------------------------------

// The text page with the largest unpacked size: the long page the scroll figures use.
int longest_page() {
    int best = 0;
    uint64_t best_size = 0;
    for (std::size_t i = 0; i <= document.last_node_index && i < document.index.size(); ++i) {
        const IndexEntry& e = document.index[i];
        if (e.type != ENTRY_NODE) continue;
        if (unpacked_size(e) > best_size) {
            best_size = unpacked_size(e);
            best = static_cast<int>(i);
        }
    }
    return best;
}

// The page changes of the figure: every page in turn from page 1.
int bench_target(int i) {
    return (i + 1) % (static_cast<int>(document.last_node_index) + 1);
}

// Where a page change spends its time, measured stage by stage outside the window's own paint:
// unpacking the page, the layout walk, and a screen walk of the lines a window of this size
// shows, drawn into the window as the paint of the unchanged program draws them.
void bench_split() {
    ViewerWindow& w = viewer_window();
    double unpack = 0, layout = 0, walk = 0;
    RECT rc;
    GetClientRect(window(), &rc);
    const int32_t lh = std::max<int32_t>(w.metrics.line_height, 1);
    for (int i = 0; i < 100; ++i) {
        const int target = bench_target(i);
        IndexEntry& e = document.index[target];
        std::vector<uint8_t>().swap(e.page_data);
        LARGE_INTEGER t0 = clock_now();
        load_page(document, static_cast<unsigned>(target));
        LARGE_INTEGER t1 = clock_now();
        e.line_count = -1;
        ensure_layout(target);
        LARGE_INTEGER t2 = clock_now();
        HDC dc = GetDC(window());
        {
            PageDrawing drawing(dc, *w.text_font);
            GdiDevice device(dc);
            PageWalkArgs args;
            args.page = static_cast<uint16_t>(target);
            args.window = {WindowRole::Other, window()};
            args.dc = &device;
            args.metrics = w.metrics;
            args.text_font = w.text_font;
            args.alt_font = &settings.XFONT;
            args.scale_images = settings.scale_bitmaps != 0;
            args.first_visible_line = 0;
            args.last_visible_line = std::min<int32_t>(e.line_count + 1, rc.bottom / lh);
            args.document = &document;
            interpret_page(args);
        }
        ReleaseDC(window(), dc);
        LARGE_INTEGER t3 = clock_now();
        unpack += elapsed_ms(t0, t1);
        layout += elapsed_ms(t1, t2);
        walk += elapsed_ms(t2, t3);
    }
    std::printf("  split per page: unpack %.2f ms, layout walk %.2f ms, screen walk %.2f ms\n",
                unpack / 100, layout / 100, walk / 100);
}

// 100 line scrolls down the longest page, then 100 wheel notches down from its top; each
// painted at once.
void bench_scroll() {
    NavigationRequest request;
    request.target = longest_page();
    navigator().show_entry(request);
    pump();
    std::printf("  scroll page: entry %d, %d lines\n", request.target, shown().line_count);
    LARGE_INTEGER begin = clock_now();
    for (int i = 0; i < 100; ++i) {
        SendMessageA(window(), WM_KEYDOWN, VK_DOWN, 1);
        UpdateWindow(window());
    }
    LARGE_INTEGER end = clock_now();
    const int32_t moved = view().top_line;
    std::printf("  100 line scrolls: %.1f ms, %.2f ms each (moved %d lines)\n",
                elapsed_ms(begin, end), elapsed_ms(begin, end) / 100, moved);
    SendMessageA(window(), WM_VSCROLL, SB_TOP, 0);
    pump();
    POINT centre{100, 100};
    ClientToScreen(window(), &centre);
    begin = clock_now();
    for (int i = 0; i < 100; ++i) {
        SendMessageA(window(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                     MAKELPARAM(centre.x, centre.y));
        UpdateWindow(window());
    }
    end = clock_now();
    std::printf("  100 wheel notches: %.1f ms, %.2f ms each (moved %d lines)\n",
                elapsed_ms(begin, end), elapsed_ms(begin, end) / 100, view().top_line);
    // The line scrolls again with the whole page selected: every shown cell highlighted.
    SendMessageA(window(), WM_VSCROLL, SB_TOP, 0);
    SendMessageA(window(), WM_COMMAND, CM_SELECT_ALL, 0);
    UpdateWindow(window());
    pump();
    begin = clock_now();
    for (int i = 0; i < 100; ++i) {
        SendMessageA(window(), WM_KEYDOWN, VK_DOWN, 1);
        UpdateWindow(window());
    }
    end = clock_now();
    std::printf("  100 line scrolls, page selected: %.1f ms, %.2f ms each (moved %d lines)\n",
                elapsed_ms(begin, end), elapsed_ms(begin, end) / 100, view().top_line);
}

// The page view's own counters over a stretch of the bench: recordings of the kept page and
// the paints drawn from it.
void print_view_figures(const char* what, const PageViewFigures& before) {
    const PageViewFigures& f = page_view_figures();
    const uint32_t recordings = f.recordings - before.recordings;
    const uint32_t paints = f.paints - before.paints;
    std::printf(
        "  %s: %u recordings, %.2f ms each; %u paints, replay %.2f ms, transfer %.2f ms "
        "each\n",
        what, recordings, recordings ? (f.recording_ms - before.recording_ms) / recordings : 0,
        paints, paints ? (f.replay_ms - before.replay_ms) / paints : 0,
        paints ? (f.transfer_ms - before.transfer_ms) / paints : 0);
}

// The memory of the off-screen bitmap for a 1920 x 1200 client area (in the screen's format;
// the X screen here is smaller) and of the kept longest page.
void bench_memory() {
    NavigationRequest request;
    request.target = longest_page();
    navigator().show_entry(request);
    pump();
    HDC dc = GetDC(window());
    const long bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(window(), dc);
    const PageViewFigures& f = page_view_figures();
    std::printf(
        "  memory: bitmap for 1920x1200 %ld bytes (%ld bits per pixel), kept page %zu "
        "bytes (%d lines)\n",
        1920L * 1200L * bits / 8, bits, f.kept_page_bytes, shown().line_count);
}

// Figures, not checks: 100 page changes, each shown and painted at once, their split into
// stages, and the scroll figures; the main window set to width x height first.
int run_bench(const char* file, int width, int height) {
    const std::string line = std::string("\"") + file + "\"";
    if (!start_viewer(viewer_state, GetModuleHandleA(nullptr), line.c_str(), SW_SHOW)) return 1;
    // start_viewer ends with the first page painted (UpdateWindow).
    FILETIME created, exited, kernel, user, painted;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&painted);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    std::printf("  process start to first page painted: %.1f ms (placement %ldx%ld)\n",
                (ticks(painted) - ticks(created)) / 10000.0,
                static_cast<long>(settings.WindowPlacement.rcNormalPosition.right -
                                  settings.WindowPlacement.rcNormalPosition.left),
                static_cast<long>(settings.WindowPlacement.rcNormalPosition.bottom -
                                  settings.WindowPlacement.rcNormalPosition.top));
    pump();
    if (width > 0 && height > 0) {
        SetWindowPos(window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        pump();
    }
    RECT outer, client;
    GetWindowRect(window(), &outer);
    GetClientRect(window(), &client);
    std::printf("window %ldx%ld (client %ldx%ld)\n", outer.right - outer.left,
                outer.bottom - outer.top, client.right, client.bottom);
    PageViewFigures before = page_view_figures();
    const PageViewFigures before_changes = before;
    double navigation_ms = 0;
    const LARGE_INTEGER begin = clock_now();
    for (int i = 0; i < 100; ++i) {
        NavigationRequest request;
        request.target = bench_target(i);
        const LARGE_INTEGER shown_begin = clock_now();
        navigator().show_entry(request);
        navigation_ms += elapsed_ms(shown_begin, clock_now());
        UpdateWindow(window());
    }
    const LARGE_INTEGER end = clock_now();
    const double ms = elapsed_ms(begin, end);
    std::printf("  100 page changes (shown and painted): %.1f ms, %.2f ms each (navigation %.2f, "
                "paint %.2f)\n",
                ms, ms / 100, navigation_ms / 100, (ms - navigation_ms) / 100);
    print_view_figures("page changes", before_changes);
    bench_split();
    before = page_view_figures();
    bench_scroll();
    print_view_figures("scrolls", before);
    bench_memory();
    DestroyWindow(window());
    shutdown_viewer();
    return 0;
}

int run_wrong_file(const char* file) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, answer_boxes);
    const bool started = start_viewer(viewer_state, GetModuleHandleA(nullptr), file, SW_SHOW);
    KillTimer(nullptr, timer);
    check(!started, "cancelling the file dialog ends start-up");
    check(seen("Keine HYP-Datei:"), "a file that is no hypertext is reported");
    check(seen_boxes.size() >= 2, "the file dialog follows the message");
    if (wintest::failed) {
        for (const std::string& s : seen_boxes) std::printf("seen: %s\n", s.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: viewer_wintest main|wrongfile FILE\n");
        return 2;
    }
    const std::string scenario = argv[1];
    int status = 0;  // a scenario that could not run fails whatever its checks said
    if (scenario == "main") {
        status = run_main(argv[2]);
    } else if (scenario == "bench") {
        return run_bench(argv[2], argc > 4 ? std::atoi(argv[3]) : 0,
                         argc > 4 ? std::atoi(argv[4]) : 0);
    } else if (scenario == "wrongfile") {
        status = run_wrong_file(argv[2]);
    } else {
        std::printf("unknown scenario %s\n", argv[1]);
        return 2;
    }
    return wintest::summary(status);
}
