// Looks at the running viewer from outside, for the Wine tests of navigation, popups and the
// document commands: titles, the popup window, message boxes and the file dialogs.
//
//   window_probe_wintest wait-main [MS]            waits for the main window; prints its title
//   window_probe_wintest title                     the main window's title
//   window_probe_wintest popup                     "x y width height" of the open popup, or "none"
//   window_probe_wintest popup-expected FILE ENTRY X Y
//                                                  where the viewer puts the popup of ENTRY for a
//                                                  click at screen point X Y (settings from the
//                                                  registry, fonts measured as the viewer does)
//   window_probe_wintest box [MS]                  waits for a message box; prints its caption,
//                                                  a line "--", its text, a line "--end";
//                                                  then presses OK
//   window_probe_wintest save-dialog [NAME] [MS]   waits for a file dialog, prints the file name
//                                                  it proposes, replaces it by NAME if given,
//                                                  presses OK
//   window_probe_wintest menu [MS]                 waits for an open popup menu; prints
//                                                  "x y width height" of its window
//   window_probe_wintest no-box                    exit 1 when a dialog of the viewer is open
//   window_probe_wintest command ID                sends the main window the command ID
//   window_probe_wintest wait-dialog TEXT [MS]     waits for a dialog of the viewer whose caption
//                                                  holds TEXT; prints its caption, touches nothing
//   window_probe_wintest dialog-controls TEXT      for that dialog: one line per control,
//                                                  "ID enabled|disabled focus|- X Y W H TEXT"
//                                                  (screen rectangle)
//   window_probe_wintest printer-caps              the default printer as GDI reports it:
//                                                  "LOGPIXELSX LOGPIXELSY HORZRES VERTRES"
//   window_probe_wintest preview-forward-timed     in the open page preview: "Vor" and the paint
//                                                  that follows, sent one after the other; prints
//                                                  the milliseconds until both have run
//   window_probe_wintest font-metrics FACE HEIGHT [WIDTH]
//                                                  a font of that LOGFONT height (and width) on
//                                                  the display: "tmHeight+tmExternalLeading
//                                                  tmAveCharWidth"
//
// Texts are printed as the windows hold them (Windows character set). Exit 0 on success, 1 when
// the window looked for does not appear, 2 on wrong use.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/popup_placement.h"
#include "app/viewer_win32.h"
#include "hyp/document.h"
#include "render/page_walk.h"
#include "settings/settings.h"

namespace {

HWND find_main() {
    return FindWindowA("Vellumar", nullptr);
}

DWORD process_of(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::string text_of(HWND hwnd) {
    char buffer[8192] = {};
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return buffer;
}

std::string class_of(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

struct WindowSearch {
    DWORD pid;
    const char* cls;
    std::vector<HWND> found;
};

// Window enumeration callbacks: named functions, since only they carry the system's calling
// convention on 32-bit Windows (a lambda does not convert to WNDENUMPROC there).
BOOL CALLBACK collect_viewer_window(HWND hwnd, LPARAM data) {
    auto* s = reinterpret_cast<WindowSearch*>(data);
    if (IsWindowVisible(hwnd) && process_of(hwnd) == s->pid && class_of(hwnd) == s->cls) {
        s->found.push_back(hwnd);
    }
    return TRUE;
}

BOOL CALLBACK collect_child(HWND hwnd, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
    return TRUE;
}

// Visible top-level windows of class `cls` in the viewer's process.
std::vector<HWND> viewer_windows(const char* cls) {
    WindowSearch search{0, cls, {}};
    if (HWND main = find_main()) search.pid = process_of(main);
    if (search.pid == 0) return {};
    EnumWindows(collect_viewer_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Find>
HWND wait_for(Find find, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = find()) return hwnd;
        if (GetTickCount() - start > timeout_ms) return nullptr;
        Sleep(100);
    }
}

std::vector<HWND> children(HWND parent) {
    std::vector<HWND> list;
    EnumChildWindows(parent, collect_child, reinterpret_cast<LPARAM>(&list));
    return list;
}

// A dialog with a file name field is a file dialog; every other one a message box.
HWND file_name_field(HWND dialog) {
    for (int id : {0x47c /* cmb13 */, 0x480 /* edt1 */}) {
        if (HWND field = GetDlgItem(dialog, id)) return field;
    }
    return nullptr;
}

HWND find_dialog(bool file_dialog) {
    for (HWND dialog : viewer_windows("#32770")) {
        if ((file_name_field(dialog) != nullptr) == file_dialog) return dialog;
    }
    return nullptr;
}

void press_ok(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

DWORD timeout_arg(int argc, char** argv, int at, DWORD fallback) {
    return argc > at ? static_cast<DWORD>(std::strtoul(argv[at], nullptr, 10)) : fallback;
}

int wait_main(DWORD timeout) {
    HWND main =
        wait_for([] { return IsWindowVisible(find_main()) ? find_main() : nullptr; }, timeout);
    if (main == nullptr) return 1;
    print(text_of(main) + "\n");
    return 0;
}

int box(DWORD timeout) {
    HWND dialog = wait_for([] { return find_dialog(false); }, timeout);
    if (dialog == nullptr) return 1;
    Sleep(200);  // let it finish laying out its controls
    std::string text;
    for (HWND child : children(dialog)) {
        if (class_of(child) != "Static") continue;
        const std::string part = text_of(child);
        if (!part.empty()) text += part;
    }
    // The end mark keeps line ends at the end of the text visible to the caller.
    print(text_of(dialog) + "\n--\n" + text + "\n--end\n");
    press_ok(dialog);
    return 0;
}

int save_dialog(const char* name, DWORD timeout) {
    HWND dialog = wait_for([] { return find_dialog(true); }, timeout);
    if (dialog == nullptr) return 1;
    Sleep(300);
    HWND field = file_name_field(dialog);
    print(text_of(field) + "\n");
    if (name != nullptr) {
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    }
    press_ok(dialog);
    return 0;
}

HWND find_menu() {
    const std::vector<HWND> menus = viewer_windows("#32768");
    return menus.empty() ? nullptr : menus[0];
}

int menu_rect(DWORD timeout) {
    // Another process's menus cannot be read here, but the window that shows one can.
    HWND window = wait_for(find_menu, timeout);
    if (window == nullptr) return 1;
    Sleep(200);
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

int popup_rect() {
    const std::vector<HWND> popups = viewer_windows("Popup");
    if (popups.empty()) {
        print("none\n");
        return 0;
    }
    RECT r{};
    GetWindowRect(popups[0], &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

int popup_expected(const char* file, int entry, int x, int y) {
    load_settings();
    ScreenMetrics metrics;
    LogFontRecord text_font = FONT;
    measure_fonts(text_font, XFONT, metrics);
    int32_t page = -1;
    if (!open_hypertext(file, std::nullopt, -1, page)) return 1;
    if (entry < 0 || static_cast<size_t>(entry) >= document.index.size()) return 1;
    PageWalkArgs args;
    args.page = static_cast<uint16_t>(entry);
    args.window = {WindowRole::Main, nullptr};
    args.metrics = metrics;
    args.text_font = &text_font;
    args.alt_font = &XFONT;
    args.scale_images = scale_bitmaps != 0;
    args.document = &document;
    interpret_page(args);
    const IndexEntry& e = document.index[entry];
    PopupSystemMetrics system{GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME),
                              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const PopupRect r = place_popup(e.max_columns, e.line_count, metrics.cell_width,
                                    metrics.line_height, x, y, system);
    std::printf("%d %d %d %d\n", r.x, r.y, r.width, r.height);
    std::printf("lines %d columns %d line_height %d cell_width %d\n", e.line_count, e.max_columns,
                metrics.line_height, metrics.cell_width);
    return 0;
}

HWND find_dialog_captioned(const char* text) {
    for (HWND dialog : viewer_windows("#32770")) {
        if (text_of(dialog).find(text) != std::string::npos) return dialog;
    }
    return nullptr;
}

int wait_dialog(const char* text, DWORD timeout) {
    HWND dialog = wait_for([text] { return find_dialog_captioned(text); }, timeout);
    if (dialog == nullptr) return 1;
    print(text_of(dialog) + "\n");
    return 0;
}

// The focus belongs to the viewer's thread: attach to it to ask.
HWND focus_of(HWND dialog) {
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const DWORD own = GetCurrentThreadId();
    AttachThreadInput(own, thread, TRUE);
    HWND focus = GetFocus();
    AttachThreadInput(own, thread, FALSE);
    return focus;
}

int dialog_controls(const char* text) {
    HWND dialog = find_dialog_captioned(text);
    if (dialog == nullptr) return 1;
    HWND focus = focus_of(dialog);
    for (HWND child : children(dialog)) {
        RECT r{};
        GetWindowRect(child, &r);
        std::printf("%d %s %s %ld %ld %ld %ld ", GetDlgCtrlID(child),
                    IsWindowEnabled(child) ? "enabled" : "disabled", child == focus ? "focus" : "-",
                    r.left, r.top, r.right - r.left, r.bottom - r.top);
        print(text_of(child) + "\n");
    }
    return 0;
}

int preview_forward_timed() {
    HWND dialog = find_dialog_captioned("Seitenvorschau");
    if (dialog == nullptr) return 1;
    HWND forward = GetDlgItem(dialog, 12);
    if (forward == nullptr || !IsWindowEnabled(forward)) return 1;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), reinterpret_cast<LPARAM>(forward));
    // The paint the click asked for, at once rather than when the viewer's queue is empty.
    SendMessageA(dialog, WM_PAINT, 0, 0);
    QueryPerformanceCounter(&end);
    std::printf("%.1f\n", 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
    return 0;
}

int printer_caps() {
    PRINTDLGA pd{};
    pd.lStructSize = sizeof(pd);
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNIC;
    if (!PrintDlgA(&pd) || pd.hDC == nullptr) return 1;
    std::printf("%d %d %d %d\n", GetDeviceCaps(pd.hDC, LOGPIXELSX), GetDeviceCaps(pd.hDC, LOGPIXELSY),
                GetDeviceCaps(pd.hDC, HORZRES), GetDeviceCaps(pd.hDC, VERTRES));
    DeleteDC(pd.hDC);
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
    return 0;
}

int font_metrics(const char* face, int height, int width) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfWeight = 400;
    font.lfUnderline = 1;
    std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", face);
    HDC ic = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    HFONT handle = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(ic, handle);
    TEXTMETRICA tm{};
    GetTextMetricsA(ic, &tm);
    SelectObject(ic, old);
    DeleteObject(handle);
    DeleteDC(ic);
    std::printf("%ld %ld\n", tm.tmHeight + tm.tmExternalLeading, tm.tmAveCharWidth);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string verb = argv[1];
    if (verb == "wait-main") return wait_main(timeout_arg(argc, argv, 2, 20000));
    if (verb == "title") {
        HWND main = find_main();
        if (main == nullptr) return 1;
        print(text_of(main) + "\n");
        return 0;
    }
    if (verb == "popup") return popup_rect();
    if (verb == "popup-expected" && argc == 6) {
        return popup_expected(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    }
    if (verb == "box") return box(timeout_arg(argc, argv, 2, 10000));
    if (verb == "save-dialog") {
        const char* name = argc > 2 && argv[2][0] ? argv[2] : nullptr;
        return save_dialog(name, timeout_arg(argc, argv, 3, 10000));
    }
    if (verb == "menu") return menu_rect(timeout_arg(argc, argv, 2, 10000));
    if (verb == "no-box") return viewer_windows("#32770").empty() ? 0 : 1;
    if (verb == "command" && argc == 3) {
        HWND main = find_main();
        if (main == nullptr) return 1;
        PostMessageA(main, WM_COMMAND, std::strtoul(argv[2], nullptr, 10), 0);
        return 0;
    }
    if (verb == "wait-dialog" && argc >= 3) return wait_dialog(argv[2], timeout_arg(argc, argv, 3, 10000));
    if (verb == "dialog-controls" && argc == 3) return dialog_controls(argv[2]);
    if (verb == "printer-caps") return printer_caps();
    if (verb == "preview-forward-timed") return preview_forward_timed();
    if (verb == "font-metrics" && argc >= 4) {
        return font_metrics(argv[2], std::atoi(argv[3]), argc > 4 ? std::atoi(argv[4]) : 0);
    }
    return 2;
}
